#include "platform/application.h"

#include <gtest/gtest.h>

#include "platform/messages.h"
#include "platform/sim/desktop.h"
#include "platform/sim/recording_window.h"
#include "platform/sim/temp_folder.h"

namespace kx {
namespace {

class TestApp : public Application {
 public:
  bool initResult = true;
  sim::RecordingWindow window;
  int exits = 0;
  bool InitInstance() override {
    if (!initResult) return false;
    window.Open(u"Main");
    SetMainWindow(&window);
    return true;
  }
  int ExitInstance() override {
    ++exits;
    return Application::ExitInstance() + 7;
  }
};

TEST(ApplicationTest, LoopEndsWhenTheMainWindowIsDestroyed) {
  sim::TempFolder folder;
  sim::Desktop desktop{sim::DesktopOptions{folder.Path()}};
  TestApp app;
  ASSERT_TRUE(app.InitInstance());
  desktop.Windows().Post(app.window.Handle(), WM_USER, 0, 0);
  desktop.Windows().Post(app.window.Handle(), WM_CLOSE, 0, 0);
  EXPECT_EQ(app.Run(), 7);
  EXPECT_EQ(app.exits, 1);
  EXPECT_EQ(app.window.ReceivedOf(WM_USER).size(), 1u);
  EXPECT_EQ(app.MainWindow(), nullptr);
}

TEST(ApplicationTest, FailedStartRunsExitWithoutALoop) {
  sim::TempFolder folder;
  sim::Desktop desktop{sim::DesktopOptions{folder.Path()}};
  TestApp app;
  app.initResult = false;
  EXPECT_EQ(app.RunApplication(), 7);
  EXPECT_EQ(app.exits, 1);
}

}  // namespace
}  // namespace kx
