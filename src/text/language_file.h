// The language file "Strings.xml" beside the agent's executable. The agent reads and indexes it
// at start-up and whenever the progress window is created; it looks nothing up in it.
#pragma once

#include <string_view>

#include "text/xml_document.h"

namespace kx::text {

inline constexpr std::u16string_view kLanguageFileName = u"Strings.xml";

// The process-wide language document, filled once during start-up.
extern XmlDocument g_LanguageDoc;

// Decodes the file at path into the document (Text, Result and Flags) and, when that worked,
// indexes it. True when the file was read; a missing or unreadable file leaves an empty Text
// and the system's message in Result.
bool ReadLanguageFile(std::u16string_view path, XmlDocument& document);

}  // namespace kx::text
