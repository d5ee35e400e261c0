#include "profiles_fixture.h"
