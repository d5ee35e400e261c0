#include "text/language_file.h"

#include "text/text_file.h"

namespace kx::text {

XmlDocument g_LanguageDoc;

bool ReadLanguageFile(std::u16string_view path, XmlDocument& document) {
  if (!LoadTextFile(path, document.Text, &document.Result, &document.Flags)) return false;
  document.IndexDocument();
  return true;
}

}  // namespace kx::text
