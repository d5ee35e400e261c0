#include "platform/sim/sim_registry.h"

#include <cstdio>
#include <fstream>
#include <sstream>
#include <system_error>

#include "platform/errors.h"
#include "platform/text_util.h"

namespace kx::sim {

namespace {

std::u16string Upper(std::u16string_view s) {
  std::u16string out;
  out.reserve(s.size());
  for (char16_t c : s)
    out.push_back(SimpleUpper(c));
  return out;
}

std::u16string RootName(HKEY root) {
  auto v = reinterpret_cast<std::uintptr_t>(root);
  switch (v) {
    case 0x80000000:
      return u"HKEY_CLASSES_ROOT";
    case 0x80000001:
      return u"HKEY_CURRENT_USER";
    case 0x80000002:
      return u"HKEY_LOCAL_MACHINE";
    case 0x80000005:
      return u"HKEY_CURRENT_CONFIG";
    default:
      return {};
  }
}

// Escapes a text for the store file: backslash and double quote, and control characters.
std::string Escape(std::u16string_view text) {
  std::string out;
  for (char c : ToUtf8(text)) {
    if (c == '\\' || c == '"') {
      out.push_back('\\');
      out.push_back(c);
    } else if (c == '\n') {
      out += "\\n";
    } else if (c == '\r') {
      out += "\\r";
    } else {
      out.push_back(c);
    }
  }
  return out;
}

std::u16string Unescape(std::string_view text) {
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\\' && i + 1 < text.size()) {
      ++i;
      out.push_back(text[i] == 'n' ? '\n' : text[i] == 'r' ? '\r' : text[i]);
    } else {
      out.push_back(text[i]);
    }
  }
  return FromUtf8(out);
}

}  // namespace

std::u16string RegistryValue::Text() const {
  std::u16string text;
  for (std::size_t i = 0; i + 1 < data.size(); i += 2) {
    char16_t c = static_cast<char16_t>(data[i] | (data[i + 1] << 8));
    if (c == 0) break;
    text.push_back(c);
  }
  return text;
}

DWORD RegistryValue::Number() const {
  DWORD n = 0;
  for (std::size_t i = 0; i < 4 && i < data.size(); ++i)
    n |= static_cast<DWORD>(data[i]) << (8 * i);
  return n;
}

SimRegistry::SimRegistry(std::filesystem::path storeFile) : storeFile_(std::move(storeFile)) {
  for (HKEY root :
       {HkeyClassesRoot(), HkeyCurrentUser(), HkeyLocalMachine(), HkeyCurrentConfig()}) {
    keys_[RootName(root)] = Key{RootName(root), {}, 0};
  }
  Load();
}

std::u16string SimRegistry::FullPath(HKEY root, std::u16string_view subKey) {
  std::u16string path = RootName(root);
  if (path.empty()) return path;
  std::u16string part;
  auto flush = [&] {
    if (!part.empty()) path += u"\\" + part;
    part.clear();
  };
  for (char16_t c : subKey) {
    if (c == u'\\') {
      flush();
    } else {
      part.push_back(c);
    }
  }
  flush();
  return path;
}

void SimRegistry::CreateKeyPathLocked(const std::u16string& fullPath) {
  std::size_t pos = 0;
  while (pos != std::u16string::npos) {
    pos = fullPath.find(u'\\', pos + 1);
    std::u16string prefix = fullPath.substr(0, pos);
    auto [it, inserted] = keys_.try_emplace(Upper(prefix));
    if (inserted) it->second.name = prefix;
  }
}

LONG SimRegistry::OpenKey(HKEY root, std::u16string_view subKey, DWORD access, HKEY* key) {
  std::lock_guard lock(mutex_);
  std::u16string path = FullPath(root, subKey);
  auto it = keys_.find(Upper(path));
  if (path.empty() || it == keys_.end()) return static_cast<LONG>(ERROR_FILE_NOT_FOUND);
  if ((it->second.denied & access) != 0) return static_cast<LONG>(ERROR_ACCESS_DENIED);
  std::uintptr_t h = nextHandle_;
  nextHandle_ += 4;
  handles_[h] = OpenHandle{it->first, access};
  *key = reinterpret_cast<HKEY>(h);
  return static_cast<LONG>(ERROR_SUCCESS);
}

LONG SimRegistry::CreateKey(HKEY root, std::u16string_view subKey, HKEY* key) {
  std::lock_guard lock(mutex_);
  std::u16string path = FullPath(root, subKey);
  if (path.empty()) return static_cast<LONG>(ERROR_INVALID_HANDLE);
  auto existing = keys_.find(Upper(path));
  if (existing != keys_.end() && existing->second.denied != 0) {
    return static_cast<LONG>(ERROR_ACCESS_DENIED);
  }
  CreateKeyPathLocked(path);
  SaveLocked();
  std::uintptr_t h = nextHandle_;
  nextHandle_ += 4;
  handles_[h] = OpenHandle{Upper(path), KEY_ALL_ACCESS};
  *key = reinterpret_cast<HKEY>(h);
  return static_cast<LONG>(ERROR_SUCCESS);
}

LONG SimRegistry::SetValue(HKEY key, std::u16string_view name, DWORD type, const void* data,
                           DWORD size) {
  std::u16string keyName;
  RegistryValue value;
  decltype(observer_) observer;
  {
    std::lock_guard lock(mutex_);
    auto h = handles_.find(reinterpret_cast<std::uintptr_t>(key));
    if (h == handles_.end()) return static_cast<LONG>(ERROR_INVALID_HANDLE);
    if ((h->second.access & 0x2) == 0) return static_cast<LONG>(ERROR_ACCESS_DENIED);  // SET_VALUE
    auto k = keys_.find(h->second.key);
    if (k == keys_.end()) return static_cast<LONG>(ERROR_INVALID_HANDLE);  // deleted meanwhile
    value.type = type;
    const auto* bytes = static_cast<const std::uint8_t*>(data);
    value.data.assign(bytes, bytes + size);
    k->second.values[Upper(name)] = {std::u16string(name), value};
    keyName = k->second.name;
    SaveLocked();
    observer = observer_;
  }
  if (observer) observer(keyName, std::u16string(name), value);
  return static_cast<LONG>(ERROR_SUCCESS);
}

LONG SimRegistry::CloseKey(HKEY key) {
  std::lock_guard lock(mutex_);
  return handles_.erase(reinterpret_cast<std::uintptr_t>(key)) > 0
             ? static_cast<LONG>(ERROR_SUCCESS)
             : static_cast<LONG>(ERROR_INVALID_HANDLE);
}

bool SimRegistry::KeyExists(HKEY root, std::u16string_view subKey) const {
  std::lock_guard lock(mutex_);
  return keys_.count(Upper(FullPath(root, subKey))) > 0;
}

void SimRegistry::CreateKeyPath(HKEY root, std::u16string_view subKey) {
  std::lock_guard lock(mutex_);
  CreateKeyPathLocked(FullPath(root, subKey));
  SaveLocked();
}

void SimRegistry::DeleteKeyTree(HKEY root, std::u16string_view subKey) {
  std::lock_guard lock(mutex_);
  std::u16string upper = Upper(FullPath(root, subKey));
  if (upper.find(u'\\') == std::u16string::npos) return;  // never a root
  for (auto it = keys_.begin(); it != keys_.end();) {
    bool below = it->first == upper || (it->first.size() > upper.size() &&
                                        it->first.compare(0, upper.size(), upper) == 0 &&
                                        it->first[upper.size()] == u'\\');
    it = below ? keys_.erase(it) : std::next(it);
  }
  SaveLocked();
}

std::optional<RegistryValue> SimRegistry::GetValue(HKEY root, std::u16string_view subKey,
                                                   std::u16string_view name) const {
  std::lock_guard lock(mutex_);
  auto k = keys_.find(Upper(FullPath(root, subKey)));
  if (k == keys_.end()) return std::nullopt;
  auto v = k->second.values.find(Upper(name));
  if (v == k->second.values.end()) return std::nullopt;
  return v->second.second;
}

void SimRegistry::DenyAccess(HKEY root, std::u16string_view subKey, DWORD deniedAccess) {
  std::lock_guard lock(mutex_);
  std::u16string path = FullPath(root, subKey);
  CreateKeyPathLocked(path);
  keys_[Upper(path)].denied = deniedAccess;
}

void SimRegistry::SetValueObserver(
    std::function<void(const std::u16string&, const std::u16string&, const RegistryValue&)>
        observer) {
  std::lock_guard lock(mutex_);
  observer_ = std::move(observer);
}

std::size_t SimRegistry::OpenHandleCount() const {
  std::lock_guard lock(mutex_);
  return handles_.size();
}

void SimRegistry::SaveLocked() const {
  if (storeFile_.empty()) return;
  std::ostringstream out;
  out << "; Registry of the simulated desktop\n";
  for (const auto& [upper, key] : keys_) {
    out << "\n[" << ToUtf8(key.name) << "]\n";
    for (const auto& [vupper, entry] : key.values) {
      const RegistryValue& v = entry.second;
      out << '"' << Escape(entry.first) << "\"=";
      if (v.type == REG_SZ) {
        out << "sz:\"" << Escape(v.Text()) << "\"\n";
      } else if (v.type == REG_DWORD) {
        out << "dword:" << v.Number() << "\n";
      } else {
        out << "hex(" << v.type << "):";
        for (std::uint8_t b : v.data) {
          char buf[4];
          std::snprintf(buf, sizeof buf, "%02x", b);
          out << buf;
        }
        out << "\n";
      }
    }
  }
  std::filesystem::path temp = storeFile_;
  temp += ".tmp";
  {
    std::ofstream file(temp, std::ios::binary | std::ios::trunc);
    file << out.str();
  }
  std::error_code ec;
  std::filesystem::rename(temp, storeFile_, ec);
}

void SimRegistry::Load() {
  std::ifstream file(storeFile_, std::ios::binary);
  if (!file) return;
  std::string line;
  std::u16string current;
  while (std::getline(file, line)) {
    if (line.empty() || line[0] == ';') continue;
    if (line[0] == '[' && line.back() == ']') {
      current = FromUtf8(std::string_view(line).substr(1, line.size() - 2));
      CreateKeyPathLocked(current);
      continue;
    }
    if (current.empty() || line[0] != '"') continue;
    std::size_t close = 1;
    while (close < line.size() && !(line[close] == '"' && line[close - 1] != '\\'))
      ++close;
    if (close + 1 >= line.size() || line[close + 1] != '=') continue;
    std::u16string name = Unescape(std::string_view(line).substr(1, close - 1));
    std::string_view rest = std::string_view(line).substr(close + 2);
    RegistryValue v;
    if (rest.rfind("sz:\"", 0) == 0 && rest.size() >= 5) {
      std::u16string text = Unescape(rest.substr(4, rest.size() - 5));
      v.type = REG_SZ;
      for (char16_t c : text) {
        v.data.push_back(static_cast<std::uint8_t>(c & 0xFF));
        v.data.push_back(static_cast<std::uint8_t>(c >> 8));
      }
      v.data.push_back(0);
      v.data.push_back(0);
    } else if (rest.rfind("dword:", 0) == 0) {
      DWORD n = static_cast<DWORD>(std::strtoul(std::string(rest.substr(6)).c_str(), nullptr, 10));
      v.type = REG_DWORD;
      for (int i = 0; i < 4; ++i)
        v.data.push_back(static_cast<std::uint8_t>(n >> (8 * i)));
    } else {
      continue;
    }
    keys_[Upper(current)].values[Upper(name)] = {name, v};
  }
}

}  // namespace kx::sim
