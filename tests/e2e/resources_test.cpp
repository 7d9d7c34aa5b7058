// What the built exe declares, read from the file: its notice template,
// manifest, version block and icon group as resources, and its PE headers
// and imports.
#include <windows.h>

#include <gtest/gtest.h>

#include <cctype>
#include <cstddef>
#include <cstring>
#include <set>

#include "harness.h"
#include "owned.h"

namespace {

using e2e::Hex;

const WORD kChinesePrc = MAKELANGID(LANG_CHINESE, SUBLANG_CHINESE_SIMPLIFIED);  // 2052
const WORD kEnglishUs = MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US);           // 1033

// Reads a resource's bytes front to back, never past their end; a read
// beyond it yields zeros and clears ok().
class Reader {
 public:
  Reader(const BYTE* data, size_t size) : data_(data), size_(size) {}
  bool ok() const { return ok_; }
  size_t offset() const { return at_; }

  BYTE Byte() { return static_cast<BYTE>(Take(1)); }
  WORD Word() { return static_cast<WORD>(Take(2)); }
  DWORD Dword() { return static_cast<DWORD>(Take(4)); }
  short Short() { return static_cast<short>(Word()); }
  void AlignTo(size_t n) {
    while (at_ % n != 0 && ok_) Take(1);
  }
  std::wstring String() {
    std::wstring text;
    for (WORD c; ok_ && (c = Word()) != 0;) text.push_back(static_cast<wchar_t>(c));
    return text;
  }
  // A name-or-ordinal field: 0 (none), 0xFFFF then an ordinal, or a string.
  std::wstring NameOrOrdinal(WORD* ordinal) {
    *ordinal = 0;
    const WORD first = Word();
    if (first == 0) return std::wstring();
    if (first == 0xFFFF) {
      *ordinal = Word();
      return std::wstring();
    }
    std::wstring text(1, static_cast<wchar_t>(first));
    return text + String();
  }

 private:
  uint32_t Take(size_t n) {
    if (!ok_ || at_ + n > size_) {
      ok_ = false;
      return 0;
    }
    uint32_t value = 0;
    for (size_t i = 0; i < n; ++i) value |= static_cast<uint32_t>(data_[at_ + i]) << (8 * i);
    at_ += n;
    return value;
  }

  const BYTE* data_;
  size_t size_;
  size_t at_ = 0;
  bool ok_ = true;
};

BOOL CALLBACK CollectLanguage(HMODULE, LPCWSTR, LPCWSTR, WORD language, LONG_PTR context) {
  reinterpret_cast<std::set<WORD>*>(context)->insert(language);
  return TRUE;
}

class Resources : public testing::Test {
 protected:
  void SetUp() override {
    module_.Reset(::LoadLibraryExW(e2e::GetPaths().app.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE));
    ASSERT_TRUE(module_) << "cannot load " << e2e::GetPaths().app << " as data";
  }

  std::set<WORD> Languages(LPCWSTR type, LPCWSTR name) const {
    std::set<WORD> languages;
    ::EnumResourceLanguagesW(module_.get(), type, name, &CollectLanguage,
                             reinterpret_cast<LONG_PTR>(&languages));
    return languages;
  }

  // The resource's bytes in this language; false when there is none.
  bool Find(LPCWSTR type, LPCWSTR name, WORD language, const BYTE** data, size_t* size) const {
    HRSRC found = ::FindResourceExW(module_.get(), type, name, language);
    if (found == nullptr) return false;
    *data = static_cast<const BYTE*>(::LockResource(::LoadResource(module_.get(), found)));
    *size = ::SizeofResource(module_.get(), found);
    return *data != nullptr;
  }

  uidriver::UniqueModule module_;
};

TEST_F(Resources, NoticeTemplateIsTheExtendedTemplateAsDesigned) {
  EXPECT_EQ(Languages(RT_DIALOG, MAKEINTRESOURCEW(102)), std::set<WORD>{kChinesePrc});
  const BYTE* data = nullptr;
  size_t size = 0;
  ASSERT_TRUE(Find(RT_DIALOG, MAKEINTRESOURCEW(102), kChinesePrc, &data, &size));
  Reader t(data, size);

  EXPECT_EQ(t.Word(), 1) << "dlgVer";
  EXPECT_EQ(t.Word(), 0xFFFF) << "signature of an extended template";
  EXPECT_EQ(t.Dword(), 0u) << "help id";
  EXPECT_EQ(Hex(t.Dword()), Hex(WS_EX_APPWINDOW)) << "ex-style";
  EXPECT_EQ(Hex(t.Dword()), Hex(WS_POPUP | WS_VISIBLE | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX |
                                DS_MODALFRAME | DS_SETFONT | DS_FIXEDSYS))
      << "style";
  const WORD count = t.Word();
  EXPECT_EQ(count, 3) << "controls";
  const short x = t.Short(), y = t.Short(), cx = t.Short(), cy = t.Short();
  EXPECT_EQ(x, 0);
  EXPECT_EQ(y, 0);
  EXPECT_EQ(cx, 227);
  EXPECT_EQ(cy, 96);
  WORD ordinal = 0;
  EXPECT_EQ(t.NameOrOrdinal(&ordinal), L"") << "menu";
  EXPECT_EQ(ordinal, 0) << "menu";
  EXPECT_EQ(t.NameOrOrdinal(&ordinal), L"") << "window class";
  EXPECT_EQ(ordinal, 0) << "window class";
  EXPECT_EQ(t.String(), L"TarvicUpdateHelper") << "caption";
  EXPECT_EQ(t.Word(), 9) << "point size";
  EXPECT_EQ(t.Word(), 0) << "weight";
  EXPECT_EQ(t.Byte(), 0) << "italic";
  EXPECT_EQ(t.Byte(), 1) << "charset";
  EXPECT_EQ(t.String(), L"MS Shell Dlg") << "typeface";

  const DWORD kChild = WS_CHILD | WS_VISIBLE | WS_TABSTOP;
  const struct {
    DWORD id;
    WORD classAtom;
    const wchar_t* text;
    DWORD style;
    short x, y, cx, cy;
  } controls[] = {
      {1000, 0x81, L"", kChild | WS_BORDER | ES_MULTILINE | ES_AUTOHSCROLL | ES_READONLY, 7, 12,
       211, 49},
      {1001, 0x80, L"卸载旧软件", kChild | BS_DEFPUSHBUTTON, 39, 72, 50, 14},
      {1002, 0x80, L"下载新软件", kChild | BS_PUSHBUTTON, 119, 72, 50, 14},
  };
  for (size_t i = 0; i < ARRAYSIZE(controls) && i < count; ++i) {
    const auto& want = controls[i];
    SCOPED_TRACE(testing::Message() << "control " << i << " (" << want.id << ")");
    t.AlignTo(4);
    EXPECT_EQ(t.Dword(), 0u) << "help id";
    EXPECT_EQ(Hex(t.Dword()), Hex(0)) << "ex-style";
    EXPECT_EQ(Hex(t.Dword()), Hex(want.style)) << "style";
    const short x = t.Short(), y = t.Short(), cx = t.Short(), cy = t.Short();
    EXPECT_EQ(x, want.x);
    EXPECT_EQ(y, want.y);
    EXPECT_EQ(cx, want.cx);
    EXPECT_EQ(cy, want.cy);
    EXPECT_EQ(t.Dword(), want.id) << "id";
    EXPECT_EQ(t.NameOrOrdinal(&ordinal), L"") << "class by name";
    EXPECT_EQ(ordinal, want.classAtom) << "class atom";
    EXPECT_EQ(t.NameOrOrdinal(&ordinal), want.text) << "text";
    EXPECT_EQ(ordinal, 0) << "text given as an ordinal";
    EXPECT_EQ(t.Word(), 0) << "creation data";
  }
  EXPECT_TRUE(t.ok()) << "the template ends before its controls do";
  EXPECT_LE(size - t.offset(), 3u) << "bytes after the last control, beyond alignment";
}

// The value of `name` in the first <element ...> of the text; "" if absent.
std::string Attribute(const std::string& xml, const std::string& element, const std::string& name) {
  const size_t open = xml.find("<" + element + " ");
  if (open == std::string::npos) return std::string();
  const std::string tag = xml.substr(open, xml.find('>', open) - open);
  const size_t at = tag.find(" " + name + "=\"");
  if (at == std::string::npos) return std::string();
  const size_t start = at + name.size() + 3;
  return tag.substr(start, tag.find('"', start) - start);
}

TEST_F(Resources, ManifestAsksForAdministratorAndTheVersion6CommonControls) {
  EXPECT_EQ(Languages(RT_MANIFEST, MAKEINTRESOURCEW(1)), std::set<WORD>{kEnglishUs});
  const BYTE* data = nullptr;
  size_t size = 0;
  ASSERT_TRUE(Find(RT_MANIFEST, MAKEINTRESOURCEW(1), kEnglishUs, &data, &size));
  const std::string xml(reinterpret_cast<const char*>(data), size);

  const struct {
    const char* element;
    const char* attribute;
    const char* value;
  } expected[] = {
      {"assembly", "xmlns", "urn:schemas-microsoft-com:asm.v1"},
      {"assembly", "manifestVersion", "1.0"},
      {"trustInfo", "xmlns", "urn:schemas-microsoft-com:asm.v3"},
      {"requestedExecutionLevel", "level", "requireAdministrator"},
      {"requestedExecutionLevel", "uiAccess", "false"},
      {"assemblyIdentity", "type", "win32"},
      {"assemblyIdentity", "name", "Microsoft.Windows.Common-Controls"},
      {"assemblyIdentity", "version", "6.0.0.0"},
      {"assemblyIdentity", "processorArchitecture", "x86"},
      {"assemblyIdentity", "publicKeyToken", "6595b64144ccf1df"},
      {"assemblyIdentity", "language", "*"},
  };
  for (const auto& e : expected)
    EXPECT_EQ(Attribute(xml, e.element, e.attribute), e.value) << e.element << " " << e.attribute;
  for (const char* absent : {"<compatibility", "dpiAware", "dpiAwareness"})
    EXPECT_EQ(xml.find(absent), std::string::npos) << absent << " in the manifest";
  size_t dependencies = 0;
  for (size_t at = 0; (at = xml.find("<dependentAssembly", at)) != std::string::npos; ++at)
    ++dependencies;
  EXPECT_EQ(dependencies, 1u) << "dependent assemblies";
}

TEST_F(Resources, VersionBlockIsChinesePrc1_0_0_1) {
  EXPECT_EQ(Languages(RT_VERSION, MAKEINTRESOURCEW(1)), std::set<WORD>{kChinesePrc});
  const std::wstring& app = e2e::GetPaths().app;
  const DWORD size = ::GetFileVersionInfoSizeW(app.c_str(), nullptr);
  ASSERT_GT(size, 0u) << "no version block";
  std::vector<BYTE> block(size);
  ASSERT_TRUE(::GetFileVersionInfoW(app.c_str(), 0, size, block.data()));

  VS_FIXEDFILEINFO* fixed = nullptr;
  UINT length = 0;
  ASSERT_TRUE(::VerQueryValueW(block.data(), L"\\", reinterpret_cast<void**>(&fixed), &length));
  ASSERT_GE(length, sizeof *fixed);
  const struct {
    const char* field;
    DWORD seen, wanted;
  } fields[] = {
      {"signature", fixed->dwSignature, 0xFEEF04BD},
      {"file version high", fixed->dwFileVersionMS, 0x00010000},
      {"file version low", fixed->dwFileVersionLS, 0x00000001},
      {"product version high", fixed->dwProductVersionMS, 0x00010000},
      {"product version low", fixed->dwProductVersionLS, 0x00000001},
      {"flags mask", fixed->dwFileFlagsMask, 0x3F},
      {"flags", fixed->dwFileFlags, 0},
      {"OS", fixed->dwFileOS, VOS__WINDOWS32},
      {"type", fixed->dwFileType, VFT_APP},
      {"subtype", fixed->dwFileSubtype, 0},
      {"date high", fixed->dwFileDateMS, 0},
      {"date low", fixed->dwFileDateLS, 0},
  };
  for (const auto& f : fields) EXPECT_EQ(Hex(f.seen), Hex(f.wanted)) << f.field;

  WORD* translation = nullptr;
  ASSERT_TRUE(::VerQueryValueW(block.data(), L"\\VarFileInfo\\Translation",
                               reinterpret_cast<void**>(&translation), &length));
  ASSERT_EQ(length, 4u) << "one translation";
  EXPECT_EQ(translation[0], 0x0804) << "language";
  EXPECT_EQ(translation[1], 936) << "code page";

  const struct {
    const wchar_t* name;
    const wchar_t* value;
  } strings[] = {
      {L"FileVersion", L"1.0.0.1"},
      {L"ProductVersion", L"1.0.0.1"},
      {L"InternalName", L"TarvicUpdateHelper.exe"},
      {L"OriginalFilename", L"TarvicUpdateHelper.exe"},
  };
  for (const auto& s : strings) {
    wchar_t* value = nullptr;
    const std::wstring path = std::wstring(L"\\StringFileInfo\\080403a8\\") + s.name;
    ASSERT_TRUE(::VerQueryValueW(block.data(), path.c_str(), reinterpret_cast<void**>(&value), &length))
        << "no " << path;
    EXPECT_EQ(std::wstring(value), s.value) << s.name;
  }
}

#pragma pack(push, 1)
struct GroupIconEntry {
  BYTE width, height, colours, reserved;
  WORD planes, bitCount;
  DWORD bytes;
  WORD id;
};
#pragma pack(pop)

TEST_F(Resources, IconGroupHasThirteenImagesInTheDesignedOrder) {
  const struct {
    int side;
    WORD bits;
  } expected[] = {{48, 4}, {32, 4}, {24, 4}, {16, 4}, {48, 8},  {32, 8},  {24, 8},
                  {16, 8}, {256, 32}, {48, 32}, {32, 32}, {24, 32}, {16, 32}};
  HRSRC found = ::FindResourceW(module_.get(), MAKEINTRESOURCEW(128), RT_GROUP_ICON);
  ASSERT_NE(found, nullptr) << "no icon group 128";
  const auto* data = static_cast<const BYTE*>(::LockResource(::LoadResource(module_.get(), found)));
  const size_t size = ::SizeofResource(module_.get(), found);
  ASSERT_GE(size, 6u);
  Reader header(data, 6);
  EXPECT_EQ(header.Word(), 0) << "reserved";
  EXPECT_EQ(header.Word(), 1) << "type: icons";
  const WORD count = header.Word();
  ASSERT_EQ(count, ARRAYSIZE(expected)) << "images";
  ASSERT_GE(size, 6 + count * sizeof(GroupIconEntry)) << "entries past the resource's end";

  for (WORD i = 0; i < count; ++i) {
    GroupIconEntry entry;
    memcpy(&entry, data + 6 + i * sizeof entry, sizeof entry);
    const int side = entry.width == 0 ? 256 : entry.width;
    SCOPED_TRACE(testing::Message() << "image " << i);
    EXPECT_EQ(side, expected[i].side) << "width";
    EXPECT_EQ(entry.height == 0 ? 256 : entry.height, expected[i].side) << "height";
    EXPECT_EQ(entry.bitCount, expected[i].bits) << "bits per pixel";

    HRSRC image = ::FindResourceW(module_.get(), MAKEINTRESOURCEW(entry.id), RT_ICON);
    ASSERT_NE(image, nullptr) << "icon " << entry.id << " is missing";
    EXPECT_EQ(::SizeofResource(module_.get(), image), entry.bytes) << "size of icon " << entry.id;
    const auto* bytes = static_cast<const BYTE*>(::LockResource(::LoadResource(module_.get(), image)));
    const bool png = entry.bytes >= 4 && memcmp(bytes, "\x89PNG", 4) == 0;
    EXPECT_EQ(png, side == 256) << "only the 256-pixel image is stored as PNG";
  }
}

// The PE header fields and import table of the file itself.
class ExecutableFile : public testing::Test {
 protected:
  void SetUp() override {
    file_ = e2e::ReadFileBytes(e2e::GetPaths().app);
    ASSERT_GE(file_.size(), sizeof(IMAGE_DOS_HEADER)) << "cannot read " << e2e::GetPaths().app;
    memcpy(&dos_, file_.data(), sizeof dos_);
    ASSERT_EQ(dos_.e_magic, IMAGE_DOS_SIGNATURE);
    ASSERT_LE(static_cast<size_t>(dos_.e_lfanew) + sizeof nt_, file_.size());
    memcpy(&nt_, file_.data() + dos_.e_lfanew, sizeof nt_);
    ASSERT_EQ(nt_.Signature, IMAGE_NT_SIGNATURE);
  }

  // The file offset of an address in the loaded image; 0 when no section holds it.
  size_t FileOffset(DWORD rva) const {
    const size_t sections = dos_.e_lfanew + offsetof(IMAGE_NT_HEADERS32, OptionalHeader) +
                            nt_.FileHeader.SizeOfOptionalHeader;
    for (WORD i = 0; i < nt_.FileHeader.NumberOfSections; ++i) {
      IMAGE_SECTION_HEADER section;
      const size_t at = sections + i * sizeof section;
      if (at + sizeof section > file_.size()) return 0;
      memcpy(&section, file_.data() + at, sizeof section);
      if (rva >= section.VirtualAddress && rva < section.VirtualAddress + section.SizeOfRawData)
        return rva - section.VirtualAddress + section.PointerToRawData;
    }
    return 0;
  }

  std::string file_;
  IMAGE_DOS_HEADER dos_;
  IMAGE_NT_HEADERS32 nt_;
};

TEST_F(ExecutableFile, IsASmall32BitGuiProgramForWindows5) {
  EXPECT_EQ(nt_.FileHeader.Machine, IMAGE_FILE_MACHINE_I386);
  EXPECT_EQ(nt_.OptionalHeader.Magic, IMAGE_NT_OPTIONAL_HDR32_MAGIC) << "PE32";
  EXPECT_EQ(nt_.OptionalHeader.Subsystem, IMAGE_SUBSYSTEM_WINDOWS_GUI);
  EXPECT_EQ(nt_.OptionalHeader.MajorSubsystemVersion, 5);
  EXPECT_EQ(nt_.OptionalHeader.MinorSubsystemVersion, 0);
  EXPECT_LE(file_.size(), 128u * 1024) << "bytes";
}

// Imports are loaded before the program can restrict the DLL search, so only
// KnownDLLs, which always come from the system folder, may be among them:
// comctl32, for one, is not, and the program loads it itself.
TEST_F(ExecutableFile, ImportsOnlyKnownDlls) {
  const std::set<std::string> allowed = {
      "advapi32.dll", "gdi32.dll",    "kernel32.dll", "msvcrt.dll",
      "ole32.dll",    "oleaut32.dll", "shell32.dll",  "user32.dll",
  };
  const IMAGE_DATA_DIRECTORY imports =
      nt_.OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
  size_t at = FileOffset(imports.VirtualAddress);
  ASSERT_NE(at, 0u) << "no import table";
  std::vector<std::string> seen;
  for (;; at += sizeof(IMAGE_IMPORT_DESCRIPTOR)) {
    ASSERT_LE(at + sizeof(IMAGE_IMPORT_DESCRIPTOR), file_.size()) << "the import table runs off";
    IMAGE_IMPORT_DESCRIPTOR descriptor;
    memcpy(&descriptor, file_.data() + at, sizeof descriptor);
    if (descriptor.Name == 0) break;
    const size_t name = FileOffset(descriptor.Name);
    ASSERT_NE(name, 0u);
    std::string dll(file_.c_str() + name, strnlen(file_.c_str() + name, file_.size() - name));
    for (char& c : dll) c = static_cast<char>(tolower(static_cast<unsigned char>(c)));
    seen.push_back(dll);
    EXPECT_TRUE(allowed.count(dll)) << "imports " << dll;
  }
  EXPECT_FALSE(seen.empty());
  EXPECT_EQ(nt_.OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_DELAY_IMPORT].Size, 0u)
      << "delay-loaded imports";
}

}  // namespace
