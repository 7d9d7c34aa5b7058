// Fuzzes everything that turns the registered uninstall value into a started
// program: its type, bytes and byte count, the environment expansion and the
// program lookup, by running UninstallOld over a platform the input drives.
// A run fails (abort, with the world described) when a property is broken:
// - the value's bytes are never read past the count the registry reported
//   (the caller's buffer beyond it is poisoned for AddressSanitizer), nor at
//   all when the query failed or reported more than the buffer holds;
// - a value that must be refused (wrong type, too long, not expandable)
//   starts nothing and says "未安装旧版Tarvic";
// - the command line started is the value's text, or its expansion, as the
//   calls reported it, terminated within 260 units;
// - every file looked up is a candidate the rules allow (the quoted path, an
//   unquoted .exe prefix, a bare name in the system folder, the Windows folder
//   or an absolute PATH entry), so nothing relative to the current folder;
// - the program started is the first candidate looked up that was a file, and
//   when nothing is started no allowed candidate was a file;
// - one message per click; every handle and key closed.
//
// Input, all little-endian; past its end every byte reads as 0:
//   u8 type: bit 7 set: the raw type (bits 0-6); else REG_SZ or, with bit 0,
//      REG_EXPAND_SZ
//   u8 flags: 0 key missing, 1 query fails, 2 report the claimed size,
//      3 expansion fails, 4 expansion reports its size off by the delta,
//      5 no system folder, 6 no Windows folder, 7 PATH longer than 32767 units
//   u16 claimed size; i8 expansion delta
//   texts, each a u8 unit count then the units, a byte each, 0xFF taking the
//      next two bytes as one unit: system folder, Windows folder, PATH, two
//      variables as name then value
//   u8 count, then that many answers to the file lookups in the order they
//      are made (0 missing, 1 file, 2 folder; by value modulo 3); later
//      lookups find nothing
//   the rest: the value's bytes as stored
// TARVIC_FUZZ_DESCRIBE=1 prints the world and the run, to turn an input into
// a unit-test case.
#include <sanitizer/asan_interface.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <set>
#include <string>
#include <vector>

#include "actions/platform.h"
#include "actions/uninstall_old.h"
#include "actions/win32_values.h"
#include "framework/bounded_text.h"

namespace {

const uint32_t kValueBytes = 512;
const size_t kUnits = 260;
const uint32_t kEnvironmentUnits = 32767;
const long kErrorAccessDenied = 5;
const long kErrorMoreData = 234;
const uint8_t kUndefinedByte = 0xAB;
const uint8_t kBeyondDataByte = 0xCD;
const uint32_t kFileAttributeArchive = 0x20;
const Handle kTarvicKey = 0x10, kParentKey = 0x14, kProcess = 0x18, kThread = 0x1C;
const Handle kEvent = 0x20;
const wchar_t kNotInstalled[] = L"未安装旧版Tarvic";
const wchar_t kCannotStart[] = L"无法启动卸载程序";
const wchar_t kTarvicPath[] = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Tarvic";

enum Flag : uint8_t {
  kKeyMissing = 1 << 0,
  kQueryFails = 1 << 1,
  kClaimsSize = 1 << 2,
  kExpansionFails = 1 << 3,
  kExpansionMisreports = 1 << 4,
  kNoSystemFolder = 1 << 5,
  kNoWindowsFolder = 1 << 6,
  kPathTooLong = 1 << 7,
};

class Reader {
 public:
  Reader(const uint8_t* data, size_t size) : data_(data), size_(size) {}
  uint8_t Byte() { return at_ < size_ ? data_[at_++] : 0; }
  uint16_t Word() {
    const uint16_t low = Byte();
    return static_cast<uint16_t>(low | Byte() << 8);
  }
  std::wstring Text() {
    std::wstring text;
    for (uint8_t units = Byte(); units > 0; --units) {
      const uint8_t unit = Byte();
      text += static_cast<wchar_t>(unit == 0xFF ? Word() : unit);
    }
    return text;
  }
  std::vector<uint8_t> Rest() {
    std::vector<uint8_t> rest(data_ + at_, data_ + size_);
    at_ = size_;
    return rest;
  }

 private:
  const uint8_t* data_;
  size_t size_;
  size_t at_ = 0;
};

struct World {
  uint32_t type;
  uint8_t flags;
  uint16_t claimedSize;
  int8_t expansionDelta;
  std::wstring systemFolder, windowsFolder, path;
  std::wstring names[2], values[2];
  std::vector<uint8_t> answers;
  std::vector<uint8_t> bytes;

  bool Has(Flag flag) const { return (flags & flag) != 0; }
};

World Decode(const uint8_t* data, size_t size) {
  Reader in(data, size);
  World world;
  const uint8_t type = in.Byte();
  world.type = (type & 0x80) != 0 ? type & 0x7F : (type & 1) != 0 ? kRegExpandSz : kRegSz;
  world.flags = in.Byte();
  world.claimedSize = in.Word();
  world.expansionDelta = static_cast<int8_t>(in.Byte());
  world.systemFolder = in.Text();
  world.windowsFolder = in.Text();
  world.path = in.Text();
  for (int i = 0; i < 2; ++i) {
    world.names[i] = in.Text();
    world.values[i] = in.Text();
  }
  if (world.Has(kPathTooLong)) {
    const std::wstring entry = world.path + L";";
    while (world.path.size() < kEnvironmentUnits) world.path += entry;
  }
  for (uint8_t count = in.Byte(); count > 0; --count) world.answers.push_back(in.Byte() % 3);
  world.bytes = in.Rest();
  return world;
}

// As a C++ wide literal, for pasting into a test: L"...".
std::string Printable(const std::wstring& text) {
  std::string out = "L\"";
  bool escapedLast = false;
  for (wchar_t unit : text) {
    const wchar_t lower = static_cast<wchar_t>(unit | 0x20);
    const bool hexDigit = (unit >= L'0' && unit <= L'9') || (lower >= L'a' && lower <= L'f');
    if (escapedLast && hexDigit) out += "\" L\"";  // ends the escape
    escapedLast = false;
    if (unit == L'\\' || unit == L'"') {
      out += '\\';
      out += static_cast<char>(unit);
    } else if (unit >= 0x20 && unit < 0x7F) {
      out += static_cast<char>(unit);
    } else {
      char escaped[16];
      std::snprintf(escaped, sizeof escaped, "\\x%X", static_cast<unsigned>(unit));
      out += escaped;
      escapedLast = true;
    }
  }
  return out + "\"";
}

// What the rules let a command line start, worked out from the rules alone.
struct Candidates {
  std::vector<std::wstring> inOrder;
  bool Allows(const std::wstring& path) const {
    for (const auto& candidate : inOrder)
      if (candidate == path) return true;
    return false;
  }
};

bool IsSeparator(wchar_t c) { return c == L'\\' || c == L'/'; }
bool IsBlank(wchar_t c) { return c == L' ' || c == L'\t'; }
bool IsAbsolute(const std::wstring& path) {
  const bool letter = path.size() >= 3 && ((path[0] | 0x20) >= L'a' && (path[0] | 0x20) <= L'z');
  if (letter && path[1] == L':' && IsSeparator(path[2])) return true;
  return path.size() >= 2 && IsSeparator(path[0]) && IsSeparator(path[1]);
}
bool IsBare(const std::wstring& name) {
  return name.find_first_of(L"\\/:") == std::wstring::npos;
}

void AddInFolder(Candidates& candidates, const std::wstring& folder, const std::wstring& name) {
  if (folder.empty() || !IsAbsolute(folder)) return;
  std::wstring path = folder;
  if (!IsSeparator(path.back())) path += L'\\';
  path += name;
  if (name.find(L'.') == std::wstring::npos) path += L".exe";
  if (path.size() < kUnits) candidates.inOrder.push_back(path);
}

Candidates Allowed(const World& world, const std::wstring& commandLine) {
  Candidates candidates;
  size_t start = 0;
  while (start < commandLine.size() && IsBlank(commandLine[start])) ++start;
  const std::wstring text = commandLine.substr(start);
  if (text.empty()) return candidates;
  std::wstring bare;
  if (text[0] == L'"') {
    const size_t close = text.find(L'"', 1);
    if (close == std::wstring::npos) return candidates;
    const std::wstring quoted = text.substr(1, close - 1);
    if (!IsBare(quoted)) {
      if (IsAbsolute(quoted)) candidates.inOrder.push_back(quoted);
      return candidates;
    }
    bare = quoted;
  } else {
    size_t word = 0;
    while (word < text.size() && !IsBlank(text[word])) ++word;
    if (!IsBare(text.substr(0, word))) {
      if (!IsAbsolute(text)) return candidates;
      for (size_t end = word; end <= text.size(); ++end) {
        if (end < text.size() && !IsBlank(text[end])) continue;
        const std::wstring prefix = text.substr(0, end);
        std::wstring extension = prefix.size() >= 4 ? prefix.substr(prefix.size() - 4) : L"";
        for (wchar_t& unit : extension) unit = static_cast<wchar_t>(unit | 0x20);
        if (extension == L".exe") candidates.inOrder.push_back(prefix);
      }
      return candidates;
    }
    bare = text.substr(0, word);
  }
  if (bare.empty()) return candidates;
  if (!world.Has(kNoSystemFolder) && world.systemFolder.size() < kUnits)
    AddInFolder(candidates, world.systemFolder, bare);
  if (!world.Has(kNoWindowsFolder) && world.windowsFolder.size() < kUnits)
    AddInFolder(candidates, world.windowsFolder, bare);
  if (world.path.size() < kEnvironmentUnits) {
    for (size_t from = 0; from <= world.path.size();) {
      size_t to = world.path.find(L';', from);
      if (to == std::wstring::npos) to = world.path.size();
      AddInFolder(candidates, world.path.substr(from, to - from), bare);
      from = to + 1;
    }
  }
  return candidates;
}

// What ExpandEnvironmentStringsW gives in this world.
std::wstring Expanded(const World& world, const std::wstring& text) {
  std::wstring result;
  for (size_t i = 0; i < text.size(); ++i) {
    const size_t close = text[i] == L'%' ? text.find(L'%', i + 1) : std::wstring::npos;
    int variable = -1;
    if (close != std::wstring::npos)
      for (int v = 0; v < 2; ++v)
        if (!world.names[v].empty() && text.compare(i + 1, close - i - 1, world.names[v]) == 0)
          variable = v;
    if (variable < 0) {
      result += text[i];
      continue;
    }
    result += world.values[variable];
    i = close;
  }
  return result;
}

uint32_t ExpansionReport(const World& world, const std::wstring& text) {
  if (world.Has(kExpansionFails)) return 0;
  int64_t needed = static_cast<int64_t>(Expanded(world, text).size()) + 1;
  if (world.Has(kExpansionMisreports)) needed += world.expansionDelta;
  return needed < 0 ? 0 : static_cast<uint32_t>(needed);
}

// The command line the value must give, worked out from the calls' contracts;
// false when the value must be refused.
bool ExpectedCommandLine(const World& world, std::wstring* commandLine) {
  if (world.Has(kKeyMissing) || world.Has(kQueryFails)) return false;
  if (world.bytes.size() > kValueBytes) return false;
  const uint32_t reported = world.Has(kClaimsSize) ? world.claimedSize
                                                   : static_cast<uint32_t>(world.bytes.size());
  if (reported > kValueBytes) return false;
  if (world.type != kRegSz && world.type != kRegExpandSz) return false;
  std::wstring text;
  for (uint32_t i = 0; i < reported / 2; ++i) {
    auto byte = [&](uint32_t at) {
      return at < world.bytes.size() ? world.bytes[at] : kBeyondDataByte;
    };
    const wchar_t unit = static_cast<wchar_t>(byte(2 * i) | byte(2 * i + 1) << 8);
    if (unit == L'\0') break;
    if (i == kValueBytes / 2 - 1) return false;
    text += unit;
  }
  if (world.type == kRegSz) {
    *commandLine = text;
    return true;
  }
  const uint32_t needed = ExpansionReport(world, text);
  if (needed == 0 || needed > kUnits) return false;
  // The buffer as the expansion leaves it, cut where its report says.
  const std::wstring expanded = Expanded(world, text);
  std::wstring buffer(kUnits, L'\0');
  if (expanded.size() + 1 <= kUnits)
    buffer.replace(0, expanded.size(), expanded);
  else
    buffer.assign(kUnits, L'Z');
  buffer[needed - 1] = L'\0';
  *commandLine = buffer.substr(0, buffer.find(L'\0'));
  return true;
}

class FuzzPlatform : public Platform {
 public:
  explicit FuzzPlatform(const World& world) : world_(world) {}

  struct Lookup {
    std::wstring path;
    uint32_t attributes;
  };
  std::vector<Lookup> lookups;
  std::vector<std::wstring> messages;
  bool started = false;
  std::wstring startedProgram, startedCommandLine;

  [[noreturn]] void Fail(const char* what) const {
    std::fprintf(stderr, "property broken: %s\n", what);
    Describe(stderr);
    std::abort();
  }
  void Check(bool holds, const char* what) const {
    if (!holds) Fail(what);
  }

  void Describe(FILE* out) const {
    std::fprintf(out, "type %u, flags 0x%02X, claimed size %u, expansion delta %d\n",
                 world_.type, world_.flags, world_.claimedSize, world_.expansionDelta);
    std::fprintf(out, "value bytes (%zu):", world_.bytes.size());
    for (uint8_t byte : world_.bytes) std::fprintf(out, " %02X", byte);
    std::wstring asText;
    for (size_t i = 0; i + 1 < world_.bytes.size(); i += 2)
      asText += static_cast<wchar_t>(world_.bytes[i] | world_.bytes[i + 1] << 8);
    std::fprintf(out, "\nvalue as UTF-16: %s\n", Printable(asText).c_str());
    std::fprintf(out, "system folder %s, Windows folder %s\nPATH (%zu units) %s\n",
                 Printable(world_.systemFolder).c_str(), Printable(world_.windowsFolder).c_str(),
                 world_.path.size(), Printable(world_.path.substr(0, 300)).c_str());
    for (int v = 0; v < 2; ++v)
      std::fprintf(out, "variable %s = %s\n", Printable(world_.names[v]).c_str(),
                   Printable(world_.values[v]).c_str());
    for (const Lookup& lookup : lookups)
      std::fprintf(out, "looked up %s: %s\n", Printable(lookup.path).c_str(),
                   lookup.attributes == kInvalidFileAttributes ? "missing"
                   : (lookup.attributes & kFileAttributeDirectory) != 0 ? "folder"
                                                                         : "file");
    if (started)
      std::fprintf(out, "started %s with %s\n", Printable(startedProgram).c_str(),
                   Printable(startedCommandLine).c_str());
    for (const auto& message : messages) std::fprintf(out, "said %s\n", Printable(message).c_str());
  }

  // Every handle it gave out was closed.
  bool NothingOpen() const { return open_.empty(); }

  void EndPoisoning() {
    if (poisoned_ != nullptr) ASAN_UNPOISON_MEMORY_REGION(poisoned_, poisonedBytes_);
    poisoned_ = nullptr;
  }

  long OpenKey(RegistryRoot, const wchar_t* subkey, uint32_t, uint32_t, Handle* key) override {
    EndPoisoning();
    *key = kNoHandle;
    const bool tarvic = std::wstring(subkey) == kTarvicPath;
    if (tarvic && world_.Has(kKeyMissing)) return kErrorFileNotFound;
    *key = Issue(tarvic ? kTarvicKey : kParentKey);
    return kErrorSuccess;
  }

  long QueryValue(Handle key, const wchar_t*, uint32_t* type, uint8_t* data,
                  uint32_t* size) override {
    Check(open_.count(key) == 1, "a value queried through a key that is not open");
    const uint32_t offered = *size;
    // The whole buffer must be there to be written.
    for (uint32_t i = 0; i < offered; ++i) data[i] = kUndefinedByte;
    *type = world_.type;
    const uint32_t stored = static_cast<uint32_t>(world_.bytes.size());
    long status = kErrorSuccess;
    uint32_t readable = 0;
    if (world_.Has(kQueryFails)) {
      status = kErrorAccessDenied;
    } else if (stored > offered) {
      *size = stored;
      status = kErrorMoreData;
    } else {
      for (uint32_t i = 0; i < stored; ++i) data[i] = world_.bytes[i];
      for (uint32_t i = stored; i < offered; ++i) data[i] = kBeyondDataByte;
      *size = world_.Has(kClaimsSize) ? world_.claimedSize : stored;
      readable = *size <= offered ? *size : 0;
    }
    // Past what the registry reported is not the caller's to read.
    poisoned_ = data + readable;
    poisonedBytes_ = offered - readable;
    ASAN_POISON_MEMORY_REGION(poisoned_, poisonedBytes_);
    return status;
  }

  long CloseKey(Handle key) override {
    Check(Close(key) && (key == kTarvicKey || key == kParentKey),
          "a key closed twice, or a handle closed as a key");
    return kErrorSuccess;
  }

  long NotifyKeyChange(Handle, bool, uint32_t, Handle, bool) override {
    EndPoisoning();
    return kErrorSuccess;
  }

  uint32_t ExpandEnvironment(const wchar_t* source, wchar_t* expanded, uint32_t size) override {
    EndPoisoning();
    if (size > 0) expanded[size - 1] = L'Z';  // all of it must be there
    const uint32_t reported = ExpansionReport(world_, source);
    if (reported == 0) return 0;
    const std::wstring result = Expanded(world_, source);
    if (result.size() + 1 <= size) {
      for (size_t i = 0; i < result.size(); ++i) expanded[i] = result[i];
      expanded[result.size()] = L'\0';
    } else {
      for (uint32_t i = 0; i < size; ++i) expanded[i] = L'Z';
    }
    return reported;
  }

  uint32_t FileAttributes(const wchar_t* path) override {
    EndPoisoning();
    const std::wstring asked(path, BoundedLength(path, kUnits));
    Check(asked.size() < kUnits, "a path looked up is not terminated within 260 units");
    const size_t index = lookups.size();
    const uint8_t answer = index < world_.answers.size() ? world_.answers[index] : 0;
    const uint32_t attributes = answer == 1   ? kFileAttributeArchive
                                : answer == 2 ? kFileAttributeDirectory
                                              : kInvalidFileAttributes;
    lookups.push_back({asked, attributes});
    return attributes;
  }

  uint32_t SystemDirectory(wchar_t* buffer, uint32_t size) override {
    EndPoisoning();
    return Give(world_.Has(kNoSystemFolder) ? L"" : world_.systemFolder, buffer, size);
  }
  uint32_t WindowsDirectory(wchar_t* buffer, uint32_t size) override {
    EndPoisoning();
    return Give(world_.Has(kNoWindowsFolder) ? L"" : world_.windowsFolder, buffer, size);
  }
  uint32_t EnvironmentVariable(const wchar_t* name, wchar_t* buffer, uint32_t size) override {
    EndPoisoning();
    return Give(std::wstring(name) == L"PATH" ? world_.path : L"", buffer, size);
  }

  bool StartProcess(const wchar_t* applicationName, wchar_t* commandLine, bool, uint32_t,
                    const void*, const wchar_t*, const StartupInfo&,
                    ProcessInfo* info) override {
    EndPoisoning();
    Check(!started, "a second start in one click");
    Check(applicationName != nullptr, "no program named: CreateProcessW would look for one");
    // CreateProcessW may write anywhere in the command line's 260 units.
    const volatile wchar_t last = commandLine[kUnits - 1];
    (void)last;
    const size_t length = BoundedLength(commandLine, kUnits);
    Check(length < kUnits, "the command line is not terminated within 260 units");
    startedCommandLine.assign(commandLine, length);
    const size_t programLength = BoundedLength(applicationName, kUnits);
    Check(programLength < kUnits, "the program's path is not terminated within 260 units");
    startedProgram.assign(applicationName, programLength);
    started = true;
    info->process = Issue(kProcess);
    info->thread = Issue(kThread);
    return true;
  }

  uint32_t ResumeThread(Handle thread) override {
    Check(thread == kThread && open_.count(thread) == 1, "resumes what is not the thread");
    return 1;
  }
  bool TerminateProcess(Handle, uint32_t) override { return true; }
  Handle OpenProcess(uint32_t, bool, uint32_t) override { return kNoHandle; }
  bool CloseHandle(Handle handle) override {
    Check(Close(handle) && handle != kTarvicKey && handle != kParentKey,
          "a handle closed twice, or a key closed as a handle");
    return true;
  }
  // No job: the started process is all that is followed, and it ends at once.
  Handle CreateJob() override { return kNoHandle; }
  bool AssignToJob(Handle, Handle) override { return false; }
  bool QueryJobActiveProcesses(Handle, uint32_t*) override { return false; }
  bool QueryJobProcessIds(Handle, uint32_t*, uint32_t, uint32_t*) override { return false; }
  Handle CreateAutoResetEvent() override { return Issue(kEvent); }
  uint32_t WaitForObjectsOrMessage(uint32_t count, const Handle* handles, uint32_t,
                                   uint32_t) override {
    Check(count == 1 && handles[0] == kProcess, "waits for something but the started process");
    return kWaitObject0;
  }
  void PeekMessages(uint32_t) override {}
  void ShowMessage(const wchar_t* text, uint32_t) override {
    EndPoisoning();
    messages.push_back(text);
  }
  void ShellExecuteVerb(Handle, const wchar_t*, const wchar_t*, const wchar_t*, const wchar_t*,
                        int) override {
    Fail("the browser opened by an uninstall");
  }
  bool ShellExecuteAsDesktopUser(const wchar_t*, const wchar_t*, const wchar_t*, int) override {
    Fail("the browser opened by an uninstall");
  }

 private:
  Handle Issue(Handle handle) {
    Check(open_.insert(handle).second, "a handle issued while still open");
    return handle;
  }
  bool Close(Handle handle) { return open_.erase(handle) == 1; }

  // GetSystemDirectoryW and the like; an empty value stands for a failure.
  uint32_t Give(const std::wstring& value, wchar_t* buffer, uint32_t size) {
    if (size > 0) buffer[size - 1] = L'Z';  // all of it must be there
    if (value.empty()) return 0;
    if (value.size() + 1 > size) return static_cast<uint32_t>(value.size() + 1);
    for (size_t i = 0; i < value.size(); ++i) buffer[i] = value[i];
    buffer[value.size()] = L'\0';
    return static_cast<uint32_t>(value.size());
  }

  const World& world_;
  std::set<Handle> open_;
  uint8_t* poisoned_ = nullptr;
  size_t poisonedBytes_ = 0;
};

void CheckRun(const World& world, FuzzPlatform& os) {
  os.Check(os.messages.size() == 1, "not exactly one message for the click");
  os.Check(os.NothingOpen(), "a handle or key left open");
  std::wstring commandLine;
  if (!ExpectedCommandLine(world, &commandLine)) {
    os.Check(!os.started, "a value that must be refused started a program");
    os.Check(os.lookups.empty(), "a value that must be refused had its program looked for");
    os.Check(os.messages[0] == kNotInstalled, "a refused value not told as not installed");
    return;
  }
  const Candidates allowed = Allowed(world, commandLine);
  for (const auto& lookup : os.lookups)
    if (!allowed.Allows(lookup.path)) os.Fail("looked up a path the rules do not allow");
  size_t firstFile = os.lookups.size();
  for (size_t i = 0; i < os.lookups.size() && firstFile == os.lookups.size(); ++i)
    if (os.lookups[i].attributes == kFileAttributeArchive) firstFile = i;
  if (!os.started) {
    os.Check(firstFile == os.lookups.size(), "an allowed program was there and not started");
    os.Check(os.messages[0] == kCannotStart, "no program, but not told it cannot start");
    return;
  }
  os.Check(os.startedCommandLine == commandLine, "started with another command line");
  os.Check(firstFile + 1 == os.lookups.size(), "looked on after finding the program");
  os.Check(os.startedProgram == os.lookups[firstFile].path,
           "started another program than the first file found");
  os.Check(os.messages[0] != kNotInstalled && os.messages[0] != kCannotStart,
           "started, yet told it was not");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const World world = Decode(data, size);
  FuzzPlatform os(world);
  UninstallOld(os);
  os.EndPoisoning();
  CheckRun(world, os);
  if (std::getenv("TARVIC_FUZZ_DESCRIBE") != nullptr) os.Describe(stdout);
  return 0;
}
