// The kernel, registry, shell and text services on the real system.
#include <gtest/gtest.h>

#include "platform/errors.h"
#include "platform/files.h"
#include "platform/platform.h"
#include "platform/processes.h"
#include "platform/registry.h"
#include "platform/shell.h"
#include "platform/sync.h"
#include "platform/system_settings.h"
#include "platform/text_codec.h"
#include "platform/text_util.h"
#include "platform/window_system.h"
#include "win32_test_support.h"

#include <windows.h>

#include <objbase.h>
#include <objidl.h>
#include <shlobj.h>

// Taken outside our namespace, where HKEY and HANDLE are the system's types.
static const ::HKEY kCurrentUser = HKEY_CURRENT_USER;
static const ::HANDLE kInvalidHandle = INVALID_HANDLE_VALUE;

namespace kx::win32::testing {
namespace {

std::vector<std::uint8_t> Bytes(std::string_view text) {
  return std::vector<std::uint8_t>(text.begin(), text.end());
}

TEST(Win32Files, AtomicWritesReplaceTheFileAndLeaveNothingBeside) {
  ScratchFolder folder;
  FileSystem& files = os::Files();
  const std::u16string path = folder.File(u"config.ini");
  ASSERT_TRUE(files.WriteFileAtomically(path, Bytes("first")));
  ASSERT_TRUE(files.WriteFileAtomically(path, Bytes("second, longer")));
  EXPECT_EQ(files.ReadAll(path), Bytes("second, longer"));
  EXPECT_EQ(files.GetAttributes(path) & FILE_ATTRIBUTE_DIRECTORY, 0u);

  // Only the file itself is in the folder: the temporary file was renamed over it.
  std::wstring pattern(folder.Path().begin(), folder.Path().end());
  pattern += L"\\*";
  ::WIN32_FIND_DATAW found;
  ::HANDLE search = ::FindFirstFileW(pattern.c_str(), &found);
  ASSERT_NE(search, kInvalidHandle);
  std::vector<std::wstring> names;
  do {
    if (found.cFileName[0] != L'.') names.emplace_back(found.cFileName);
  } while (::FindNextFileW(search, &found));
  ::FindClose(search);
  EXPECT_EQ(names, std::vector<std::wstring>{L"config.ini"});
}

TEST(Win32Files, FailuresKeepTheOldFileAndSetTheLastError) {
  ScratchFolder folder;
  FileSystem& files = os::Files();
  EXPECT_FALSE(files.WriteFileAtomically(folder.File(u"missing\\x.ini"), Bytes("x")));
  EXPECT_EQ(os::Errors().GetLastError(), ERROR_PATH_NOT_FOUND);

  ASSERT_TRUE(files.MakeDirectory(folder.File(u"Profiles")));
  EXPECT_FALSE(files.MakeDirectory(folder.File(u"Profiles")));
  EXPECT_EQ(os::Errors().GetLastError(), ERROR_ALREADY_EXISTS);
  EXPECT_NE(files.GetAttributes(folder.File(u"Profiles")) & FILE_ATTRIBUTE_DIRECTORY, 0u);
  EXPECT_FALSE(files.WriteFileAtomically(folder.File(u"Profiles"), Bytes("x")));
  EXPECT_NE(files.GetAttributes(folder.File(u"Profiles")) & FILE_ATTRIBUTE_DIRECTORY, 0u);

  EXPECT_FALSE(files.ReadAll(folder.File(u"nothing.ini")).has_value());
  EXPECT_EQ(os::Errors().GetLastError(), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(files.GetAttributes(folder.File(u"nothing.ini")), INVALID_FILE_ATTRIBUTES);
}

TEST(Win32Files, StreamsSeekAndReadShortAtTheEnd) {
  ScratchFolder folder;
  const std::u16string path = folder.File(u"Strings.xml");
  ASSERT_TRUE(os::Files().WriteFileAtomically(path, Bytes("0123456789")));
  std::unique_ptr<FileStream> stream = os::Files().OpenRead(path);
  ASSERT_NE(stream, nullptr);
  EXPECT_EQ(stream->Size(), 10);
  ASSERT_TRUE(stream->Seek(7));
  char buffer[8] = {};
  EXPECT_EQ(stream->Read(buffer, sizeof(buffer)), 3u);
  EXPECT_EQ(std::string(buffer, 3), "789");
}

TEST(Win32Files, ModulePathAndTheRoamingFolder) {
  const std::u16string module = os::Files().ModulePath();
  EXPECT_TRUE(module.ends_with(u"win32_platform_test.exe")) << ToUtf8(module);
  EXPECT_NE(os::Files().GetAttributes(module), INVALID_FILE_ATTRIBUTES);
  const std::optional<std::u16string> roaming = os::Files().RoamingAppDataFolder();
  ASSERT_TRUE(roaming.has_value());
  EXPECT_NE(roaming->back(), u'\\');
  EXPECT_NE(os::Files().GetAttributes(*roaming) & FILE_ATTRIBUTE_DIRECTORY, 0u);
}

TEST(Win32Registry, ValuesWrittenUnderTheCurrentUserReadBack) {
  Registry& registry = os::Registry();
  const std::u16string keyName = u"SOFTWARE\\KestrixTest";
  HKEY key = nullptr;
  EXPECT_EQ(registry.OpenKey(HkeyCurrentUser(), keyName, KEY_READ | KEY_WRITE, &key),
            static_cast<LONG>(ERROR_FILE_NOT_FOUND));
  ASSERT_EQ(registry.CreateKey(HkeyCurrentUser(), keyName, &key), 0);
  const char16_t version[] = u"15";
  const DWORD plugged = 1;
  EXPECT_EQ(registry.SetValue(key, u"FWVersion", REG_SZ, version, sizeof(version)), 0);
  EXPECT_EQ(registry.SetValue(key, u"DevicePlug", REG_DWORD, &plugged, sizeof(plugged)), 0);
  EXPECT_EQ(registry.CloseKey(key), 0);

  ASSERT_EQ(registry.OpenKey(HkeyCurrentUser(), keyName, KEY_READ | KEY_WRITE, &key), 0);
  registry.CloseKey(key);
  wchar_t text[16] = {};
  ::DWORD size = sizeof(text);
  EXPECT_EQ(::RegGetValueW(kCurrentUser, L"SOFTWARE\\KestrixTest", L"FWVersion", RRF_RT_REG_SZ,
                           nullptr, text, &size),
            ERROR_SUCCESS);
  EXPECT_EQ(std::wstring(text), L"15");
  ::DWORD number = 0;
  size = sizeof(number);
  EXPECT_EQ(::RegGetValueW(kCurrentUser, L"SOFTWARE\\KestrixTest", L"DevicePlug", RRF_RT_REG_DWORD,
                           nullptr, &number, &size),
            ERROR_SUCCESS);
  EXPECT_EQ(number, 1u);
  ::RegDeleteKeyW(kCurrentUser, L"SOFTWARE\\KestrixTest");
}

TEST(Win32Sync, ASecondHolderOfTheNamedMutexIsToldItExists) {
  Sync& sync = os::Sync();
  bool existed = true;
  const HANDLE first = sync.CreateNamedMutex(u"Kestrix_Test_MUTEX", &existed);
  ASSERT_NE(first, 0u);
  EXPECT_FALSE(existed);
  const HANDLE second = sync.CreateNamedMutex(u"Kestrix_Test_MUTEX", &existed);
  ASSERT_NE(second, 0u);
  EXPECT_TRUE(existed);
  EXPECT_TRUE(sync.CloseHandle(second));
  EXPECT_TRUE(sync.CloseHandle(first));
  const HANDLE again = sync.CreateNamedMutex(u"Kestrix_Test_MUTEX", &existed);
  EXPECT_FALSE(existed);  // the name went with its last handle
  sync.CloseHandle(again);
}

TEST(Win32Errors, LastErrorAndTheSystemsText) {
  os::Errors().SetLastError(ERROR_DISK_FULL);
  EXPECT_EQ(os::Errors().GetLastError(), ERROR_DISK_FULL);
  const std::u16string text = os::Errors().SystemMessage(ERROR_FILE_NOT_FOUND);
  EXPECT_FALSE(text.empty());
  EXPECT_TRUE(text.ends_with(u"\r\n")) << ToUtf8(text);
  EXPECT_TRUE(os::Errors().SystemMessage(0x7FFFFFF0).empty());
}

TEST(Win32TextCodec, ConvertsAsTheSystemDoes) {
  const TextCodec& codec = os::Codec();
  struct Case {
    UINT codePage;
    std::string bytes;
    std::u16string text;
  };
  const Case cases[] = {
      {1252, "\x80\x81\xE9", u"\u20AC\u0081\u00E9"},
      {65001, "\xC3\xA9\xC0\x80", u"\u00E9\uFFFD\uFFFD"},
      {932, "\x82\xA0", u"\u3042"},
      {20127, "A", u"A"},
  };
  for (const Case& c : cases) {
    char16_t out[16] = {};
    const int n = codec.MultiByteToWideChar(c.codePage, 0, c.bytes.data(),
                                            static_cast<int>(c.bytes.size()), out, 16);
    EXPECT_EQ(std::u16string(out, static_cast<std::size_t>(n > 0 ? n : 0)), c.text)
        << "code page " << c.codePage;
  }
  char16_t out[4];
  EXPECT_EQ(codec.MultiByteToWideChar(1140, 0, "a", 1, out, 4), 0);
  EXPECT_EQ(os::Errors().GetLastError(), ERROR_INVALID_PARAMETER);
  EXPECT_EQ(codec.MultiByteToWideChar(1252, 0, "abcdef", 6, out, 4), 0);
  EXPECT_EQ(os::Errors().GetLastError(), ERROR_INSUFFICIENT_BUFFER);

  char narrow[8] = {};
  bool usedDefault = false;
  const char16_t omega[] = u"a\u03A9";
  EXPECT_EQ(codec.WideCharToMultiByte(1252, omega, 2, narrow, 8, &usedDefault), 2);
  EXPECT_EQ(std::string(narrow, 2), "a?");
  EXPECT_TRUE(usedDefault);
  EXPECT_EQ(codec.WideCharToMultiByte(CP_UTF8, omega, 2, narrow, 8, &usedDefault), 3);
  EXPECT_FALSE(usedDefault);
  EXPECT_EQ(codec.AnsiCodePage(), ::GetACP());
}

TEST(Win32Processes, TheSnapshotHoldsThisProgramAndWindowsBelongToIt) {
  const std::optional<std::vector<ProcessEntry>> snapshot = os::Processes().Snapshot();
  ASSERT_TRUE(snapshot.has_value());
  bool found = false;
  for (const ProcessEntry& entry : *snapshot) {
    found = found || (entry.processId == ::GetCurrentProcessId() &&
                      EqualsIgnoreCase(entry.exeFile, u"win32_platform_test.exe"));
  }
  EXPECT_TRUE(found);
  RecordingWindow window;
  WindowSpec spec;
  spec.title = u"Kx Owned";
  spec.style = WS_POPUP;
  ASSERT_TRUE(window.CreateWindowObject(spec));
  EXPECT_EQ(os::Processes().GetWindowProcessId(window.Handle()), ::GetCurrentProcessId());
  EXPECT_EQ(os::Processes().GetWindowProcessId(nullptr), 0u);
}

TEST(Win32SystemSettings, KeyboardDelayAndScreenSize) {
  UINT before = 0;
  ASSERT_TRUE(os::System().GetKeyboardDelay(&before));
  const UINT wanted = before == 2 ? 1 : 2;
  ASSERT_TRUE(os::System().SetKeyboardDelay(wanted));
  UINT after = 0;
  ASSERT_TRUE(os::System().GetKeyboardDelay(&after));
  EXPECT_EQ(after, wanted);
  os::System().SetKeyboardDelay(before);
  EXPECT_GT(os::System().GetSystemMetrics(0), 0);
}

// Writes a shell link to target with the system's own shell-link object.
bool MakeShellLink(const std::u16string& link, const std::u16string& target) {
  ::IShellLinkW* shellLink = nullptr;
  if (FAILED(::CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                reinterpret_cast<void**>(&shellLink)))) {
    return false;
  }
  ::IPersistFile* file = nullptr;
  bool ok =
      SUCCEEDED(shellLink->SetPath(reinterpret_cast<const wchar_t*>(target.c_str()))) &&
      SUCCEEDED(shellLink->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file))) &&
      SUCCEEDED(file->Save(reinterpret_cast<const wchar_t*>(link.c_str()), TRUE));
  if (file != nullptr) file->Release();
  shellLink->Release();
  return ok;
}

TEST(Win32Shell, ShellLinksResolveAndPlainFilesAreNoAdvertisedShortcut) {
  ScratchFolder folder;
  const std::u16string target = folder.File(u"tool.exe");
  ASSERT_TRUE(os::Files().WriteFileAtomically(target, Bytes("MZ")));
  const std::u16string link = folder.File(u"Tool.lnk");
  ASSERT_TRUE(MakeShellLink(link, target));

  std::u16string resolved;
  EXPECT_EQ(os::Shell().ResolveShellLink(link, resolved), S_OK);
  EXPECT_TRUE(EqualsIgnoreCase(resolved, target)) << ToUtf8(resolved);
  std::u16string none;
  EXPECT_NE(os::Shell().ResolveShellLink(target, none), S_OK);
  EXPECT_TRUE(none.empty());

  char16_t product[260] = {};
  char16_t feature[260] = {};
  char16_t component[260] = {};
  EXPECT_EQ(os::Shell().GetAdvertisedShortcutTarget(link, product, feature, component),
            ERROR_FUNCTION_FAILED);
}

TEST(Win32Shell, StartingAMissingProgramGivesFileNotFound) {
  ScratchFolder folder;
  EXPECT_EQ(os::Shell().Execute(u"open", folder.File(u"absent.exe"), u"", u"", SW_SHOWNORMAL), 2);
}

}  // namespace
}  // namespace kx::win32::testing
