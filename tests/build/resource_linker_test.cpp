// The linker: library sources and linked files cut and corrupted, the
// resource-only DLL's order and headers, independent tools agreeing. Whole
// links and the linker's messages are cases of tests/cli (ktlink, link-files, build-link).
#include <gtest/gtest.h>

#include <cstdio>

#include "build/pe_writer.h"
#include "build/resource_linker.h"
#include "formmodel/form_conversion.h"
#include "peresources/exe_file.h"
#include "peresources/res_writer.h"
#include "peresources/resource_tree.h"
#include "platform/file_utils.h"
#include "support/test_support.h"

namespace kst {
namespace {

std::span<const uint8_t> Span(const std::string& s) { return {reinterpret_cast<const uint8_t*>(s.data()), s.size()}; }

TEST(LibrarySource, EveryCutFailsWithALinkErrorOrReads) {
  std::string text = "library L; {$E DEU}\r\n(* c *) { c } // c\r\n{$R 'a''b.res'} (*$R x.res*) begin end.";
  for (size_t cut = 0; cut < text.size(); ++cut)
    EXPECT_THROW(ParseLibrarySource(text.substr(0, cut), "L.dpr"), ELinkError) << "cut at " << cut;
  EXPECT_NO_THROW(ParseLibrarySource(text, "L.dpr"));
}

std::string FormResource(const std::string& cls, const std::string& caption) {
  return TextToResource("object F: " + cls + "\r\n  Caption = '" + caption + "'\r\nend\r\n");
}

std::string ResFile() {
  TResWriter w;
  w.BeginResource(TResId::Number(6), TResId::Number(2), {0, 0, 0x0407, 0, 0});
  w.Out().Bytes(std::string_view("abcde"));
  w.EndResource();
  w.BeginResource(TResId::Named(u"MyData"), TResId::Named(u"Config"), {0, 0x30, 0x0409, 0, 0});
  w.Out().Bytes(std::string_view("12345678"));
  w.EndResource();
  return w.Take();
}

std::string Id(const TResId& id) {
  return id.numeric ? "#" + std::to_string(id.id) : std::string(id.name.begin(), id.name.end());
}

// Every resource as "type/name/language=data".
std::string Linked(const std::string& file) {
  std::string out;
  for (const TLinkedResource& r : ReadLinkedResources(Span(file), 1252))
    out += Id(r.type) + "/" + Id(r.name) + "/" + std::to_string(r.language) + "=" + r.data + "\n";
  return out;
}

TEST(LinkedResources, FormsBecomeRcdataNamedByTheirClassResFilesKeepLanguages) {
  std::string form = FormResource("TfrmMain", "Hallo");
  EXPECT_EQ(Linked(form), "#10/TFRMMAIN/0=" + form.substr(ResourceStreamOffset(form)) + "\n");
  EXPECT_EQ(Linked(ResFile()), "#6/#2/1031=abcde\nMYDATA/CONFIG/1033=12345678\n") << "the empty first entry stays out";
  for (const char* stranger : {"  object F: TF\r\nend\r\n", "TPF0\x01" "F", ""})
    EXPECT_THROW(Linked(stranger), std::runtime_error) << stranger;
}

TEST(LinkedResources, EveryCutAndEveryCorruptedByteFailsCleanlyOrReadsWhole) {
  for (const std::string& file : {ResFile(), FormResource("TF", "x")}) {
    size_t whole = ReadLinkedResources(Span(file), 1252).size();
    for (size_t cut = 0; cut < file.size(); ++cut)
      test::Thrown<std::runtime_error>(
          [&] { EXPECT_LT(ReadLinkedResources(Span(file.substr(0, cut)), 1252).size(), whole) << cut; });
    for (size_t at = 0; at < file.size(); ++at) {
      std::string bad = file;
      bad[at] = static_cast<char>(bad[at] ^ 0xA5);
      test::Thrown<std::runtime_error>([&] { ReadLinkedResources(Span(bad), 1252); });  // never crashes
    }
  }
}

uint16_t Le16(const std::string& s, size_t at) { return test::Le(s).U16At(at); }
uint32_t Le32(const std::string& s, size_t at) { return test::Le(s).U32At(at); }

// Every leaf of a module as Linked() writes it, in the order of the directories.
std::string Leaves(const std::string& image) {
  TExefile exe(Span(image), 1252);
  std::string out;
  const TPEResourceDirectory& root = exe.ResourceSection().Root();
  for (int t = 0; t < root.SubdirectoryCount(); ++t)
    for (int n = 0; n < root.Subdirectory(t).SubdirectoryCount(); ++n)
      for (int l = 0; l < root.Subdirectory(t).Subdirectory(n).DataEntryCount(); ++l) {
        const TPEResourceDataEntry& leaf = root.Subdirectory(t).Subdirectory(n).DataEntry(l);
        const std::string type = leaf.TypeIsNamed() ? leaf.TypeName() : "#" + std::to_string(leaf.TypeID());
        out += type + "/" + leaf.Name() + "/" + std::to_string(leaf.LanguageID()) + "=" +
               std::string(leaf.Data().begin(), leaf.Data().end()) + "\n";
      }
  return out;
}

TResId N(uint16_t id) { return TResId::Number(id); }
TResId S(std::u16string name) { return TResId::Named(std::move(name)); }

std::vector<TLinkedResource> Mixed() {
  return {{N(10), S(u"TFORM1"), 0, "form1"},        {N(6), N(4096), 0, "strings-high"},
          {S(u"MYDATA"), N(7), 0x0407, "seven-de"}, {N(300), N(1), 0x0407, "three hundred"},
          {N(10), S(u"TABOUTBOX"), 0, "about"},     {S(u"MYDATA"), S(u"CONFIG"), 0, "config"},
          {N(6), N(2), 0, "strings-low"},           {S(u"MYDATA"), N(7), 0x0409, "seven-en"},
          {S(u"A"), N(1), 0, ""},                   {N(10), S(u"TFORM1A"), 0, "x"}};
}

TEST(PeWriter, EntriesSortAsWindowsLooksThemUpAndDuplicatesAreRefused) {
  EXPECT_EQ(Leaves(BuildResourceOnlyDll(Mixed())),
            "A/#1/0=\nMYDATA/CONFIG/0=config\nMYDATA/#7/1031=seven-de\nMYDATA/#7/1033=seven-en\n#6/#2/0=strings-low\n"
            "#6/#4096/0=strings-high\n#10/TABOUTBOX/0=about\n#10/TFORM1/0=form1\n#10/TFORM1A/0=x\n"
            "#300/#1/1031=three hundred\n");
  // Names compare by code units.
  EXPECT_LT(CompareResId(S(u"B"), S(u"_")), 0) << "0x42 before 0x5F";
  EXPECT_LT(CompareResId(S(u"Z"), S(u"\u00C4")), 0);
  std::vector<TLinkedResource> twice{{N(10), S(u"T"), 0, "a"}, {N(10), S(u"T"), 0, "b"}};
  EXPECT_THROW(BuildResourceOnlyDll(twice), std::invalid_argument);
  twice[1].language = 0x0407;
  EXPECT_NO_THROW(BuildResourceOnlyDll(twice));
  std::string empty = BuildResourceOnlyDll({});
  EXPECT_EQ(Leaves(empty), "") << "a module without resources is still valid";
  EXPECT_EQ(empty.size(), 0x400u);
}

TEST(PeWriter, HeadersAgreeWithTheSectionAndTheChecksum) {
  for (size_t bytes : {size_t(0), size_t(1), size_t(4000), size_t(70000)}) {
    std::vector<TLinkedResource> resources = Mixed();
    resources.push_back({N(10), S(u"BIG"), 0, std::string(bytes, 'x')});
    std::string image = BuildResourceOnlyDll(resources);
    const size_t pe = Le32(image, 60), opt = pe + 24, section = opt + 224;
    ASSERT_EQ(image.substr(pe, 4), std::string("PE\0\0", 4));
    EXPECT_EQ(image.substr(section, 8), std::string(".rsrc\0\0\0", 8));
    const uint32_t sectionAlign = Le32(image, opt + 32), fileAlign = Le32(image, opt + 36);
    const uint32_t virtualSize = Le32(image, section + 8), rva = Le32(image, section + 12);
    const uint32_t rawSize = Le32(image, section + 16), rawPointer = Le32(image, section + 20);
    const struct { const char* what; uint64_t actual, expected; } fields[] = {
        {"machine i386", Le16(image, pe + 4), 0x014C},
        {"characteristics: a DLL", Le16(image, pe + 22) & 0x2000u, 0x2000},
        {"PE32", Le16(image, opt), 0x010B},
        {"no entry point", Le32(image, opt + 16), 0},
        {"checksum", Le32(image, opt + 64), PeChecksum(image, opt + 64)},
        {"the checksum's offset", opt + 64, kPeChecksumOffset},
        {"section address aligned", rva % sectionAlign, 0},
        {"section data aligned", rawPointer % fileAlign, 0},
        {"section size aligned", rawSize % fileAlign, 0},
        {"section data holds the whole section", rawSize >= virtualSize, true},
        {"SizeOfHeaders ends where the section starts", Le32(image, opt + 60), rawPointer},
        {"SizeOfImage", Le32(image, opt + 56), (rva + virtualSize + sectionAlign - 1) / sectionAlign * sectionAlign},
        {"nothing after the section", image.size(), uint64_t(rawPointer) + rawSize},
        {"data directory 2 (resources): address", Le32(image, opt + 96 + 2 * 8), rva},
        {"data directory 2 (resources): size", Le32(image, opt + 96 + 2 * 8 + 4), virtualSize},
    };
    for (const auto& field : fields) EXPECT_EQ(field.actual, field.expected) << field.what << ", " << bytes << " bytes";
  }
}

// 16-bit words summed, the carry folded back, the checksum field itself as 0, plus the length.
TEST(PeWriter, ChecksumMatchesAKnownSum) {
  EXPECT_EQ(PeChecksum(std::string("\x01\x02\x03\x04", 4), 100), 0x0604u + 4);
  EXPECT_EQ(PeChecksum(std::string("\xFF\xFF\x03\x00", 4), 100), 0x0003u + 4);
  EXPECT_EQ(PeChecksum(std::string("\x01\x00\xFF\xFF\xFF\xFF\x02\x00", 8), 2), 0x0003u + 8);
}

TEST(PeWriter, IndependentToolsAcceptTheModule) {
  test::TScratchDir dir;
  std::string file = dir.File("mixed.DEU");
  test::WriteFile(file, BuildResourceOnlyDll(Mixed()));
  std::string why;
  if (test::PeTools(why)) {
    test::TProgramRun dump = test::RunPeTool("pe-dump.py", file);
    EXPECT_EQ(dump.exitCode, 0) << dump.out << dump.err;
    EXPECT_NE(dump.out.find("type=\"MYDATA\" name=7 lang=0409 size=8"), std::string::npos) << dump.out;
    test::TProgramRun sum = test::Run("/usr/bin/python3 -c 'import pefile,sys; pe=pefile.PE(sys.argv[1]); "
                                      "print(pe.verify_checksum(), pe.OPTIONAL_HEADER.CheckSum == pe.generate_checksum())' " +
                                      file);
    EXPECT_EQ(sum.out, "True True\n");
  }
  if (!test::HaveProgram("i686-w64-mingw32-objdump")) GTEST_SKIP() << "i686-w64-mingw32-objdump is not installed";
  test::TProgramRun objdump = test::Run("i686-w64-mingw32-objdump -p " + file);
  EXPECT_EQ(objdump.exitCode, 0) << objdump.err;
  // objdump's reading of the fields agrees with the image's own.
  std::string image = ReadFileBytes(file);
  char size[64], sum[64];
  std::snprintf(size, sizeof size, "SizeOfImage\t\t%08x\n", Le32(image, Le32(image, 60) + 24 + 56));
  std::snprintf(sum, sizeof sum, "CheckSum\t\t%08x\n", PeChecksum(image, kPeChecksumOffset));
  for (const char* line : {"file format pei-i386", "DLL", "SectionAlignment\t00001000", "FileAlignment\t\t00000200",
                           "Resource Directory [.rsrc]", static_cast<const char*>(size), static_cast<const char*>(sum)})
    EXPECT_NE(objdump.out.find(line), std::string::npos) << line << objdump.out;
  if (!why.empty()) GTEST_SKIP() << "pe-dump.py: " << why;
}

}  // namespace
}  // namespace kst
