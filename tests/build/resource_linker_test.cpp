// The linker and the module it writes: library sources good and bad (errors
// carry the line), the two kinds of linked file, damaged files cut and
// corrupted, the command line; the resource-only DLL's directory order, data
// read back by our reader, header fields consistent with each other, and the
// independent tools (pefile's checksum, pe-dump.py, objdump -p) agreeing.
// Whole links are cases of tests/cli (ktlink, link-files).
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

TEST(LibrarySource, GivesEveryLinkWithItsLine) {
  const struct {
    std::string text;
    std::string links;  // "file@line" for every link, one a line
    std::string extension;
  } cases[] = {
      {"//\r\n// Language module generated using Kestrin Translator\r\n//\r\nlibrary App;\r\n"
       "//TRN <Marker, please do not modify this line!\r\n{$E DEU}\r\n{--- Forms ---}\r\n"
       "{$R 'C:\\Proj\\DEU\\Main.dfm'}\r\n{--- Version Info ---}\r\n"
       "// Library does not include a version information!\r\n{--- Resource Strings ---}\r\n"
       "{$R '/p/DEU/App.StringRes.RES'}\r\n{--- Custom Resources ---}\r\nend.\r\n",
       "C:\\Proj\\DEU\\Main.dfm@8\n/p/DEU/App.StringRes.RES@12\n", "DEU"},
      // Switches and links inside comments are no links; without {$E} a library is a dll.
      {"LIBRARY x; {$R+} {$R-,I+} // {$R 'no.res'}\n{ {$R 'no2.res' }\n(* {$R no3.res} *)\n"
       "{$R 'it''s.res'} (*$R plain.res*) {$RESOURCE other.res} {$D-} begin end.\n{$R 'after.res'}",
       "it's.res@4\nplain.res@4\nother.res@4\n", "dll"},
  };
  for (const auto& c : cases) {
    TLibrarySource source = ParseLibrarySource(c.text, "App.dpr");
    std::string links;
    for (const auto& link : source.links) links += link.file + "@" + std::to_string(link.line) + "\n";
    EXPECT_EQ(links, c.links);
    EXPECT_EQ(source.extension, c.extension);
  }
}

TEST(LibrarySource, EveryCutFailsWithALinkErrorOrReads) {
  std::string text = "library L; {$E DEU}\r\n(* c *) { c } // c\r\n{$R 'a''b.res'} (*$R x.res*) begin end.";
  for (size_t cut = 0; cut <= text.size(); ++cut) {
    bool read = test::Thrown<ELinkError>([&] { ParseLibrarySource(text.substr(0, cut), "L.dpr"); }) == "(nothing thrown)";
    EXPECT_EQ(read, cut == text.size()) << "only the whole source reads; cut at " << cut;
  }
}

TEST(LibrarySource, ErrorsNameFileAndLine) {
  const std::pair<const char*, const char*> cases[] = {
      {"program P;\nbegin end.", "L.dpr(1) Error: 'library' expected"},
      {"library ;", "L.dpr(1) Error: Identifier expected"},
      {"library L\n\nend.", "L.dpr(3) Error: ';' expected"},
      {"library L;\nuses SysUtils;\nend.",
       "L.dpr(2) Error: 'end' expected but 'uses' found; a language module holds resources only"},
      {"library L;\n{ open\n\n", "L.dpr(2) Error: Unterminated comment"},
      {"library L;\n\n{$R 'x.res}\nend.", "L.dpr(3) Error: Unterminated string"},
      {"library L;\n{$R ''}\nend.", "L.dpr(2) Error: File name expected"},
      {"library L;\n\n", "L.dpr(3) Error: Unexpected end of file"},
      {"library L;\nend;", "L.dpr(2) Error: '.' expected"},
  };
  for (auto [text, error] : cases) EXPECT_EQ(test::Thrown<ELinkError>([&] { ParseLibrarySource(text, "L.dpr"); }), error);
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

TEST(LinkedResources, FormsBecomeRcdataNamedByTheirClassResFilesKeepLanguages) {
  std::string form = FormResource("TfrmMain", "Hallo");
  auto resources = ReadLinkedResources(Span(form), 1252);
  ASSERT_EQ(resources.size(), 1u);
  EXPECT_TRUE(resources[0].type.numeric);
  EXPECT_EQ(resources[0].type.id, 10);
  EXPECT_EQ(resources[0].name.name, u"TFRMMAIN");
  EXPECT_EQ(resources[0].language, 0);
  EXPECT_EQ(resources[0].data.substr(0, 4), "TPF0");
  EXPECT_EQ(resources[0].data, form.substr(ResourceStreamOffset(form)));

  resources = ReadLinkedResources(Span(ResFile()), 1252);
  ASSERT_EQ(resources.size(), 2u) << "the empty first entry is not linked";
  EXPECT_EQ(resources[0].language, 0x0407);
  EXPECT_EQ(resources[0].data, "abcde");
  EXPECT_EQ(resources[1].type.name, u"MYDATA");
  EXPECT_EQ(resources[1].name.name, u"CONFIG");
  EXPECT_EQ(resources[1].language, 0x0409);
  // Text forms and strangers are refused.
  EXPECT_THROW(ReadLinkedResources(Span("  object F: TF\r\nend\r\n"), 1252), std::runtime_error);
  EXPECT_THROW(ReadLinkedResources(Span("TPF0\x01" "F"), 1252), std::runtime_error);
  EXPECT_THROW(ReadLinkedResources(Span(""), 1252), std::runtime_error);
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

TEST(LinkerArguments, CompilerCommandLineWithOrWithoutQuotes) {
  TLinkerOptions o = ParseLinkerArguments({"-e\"/out dir\"", "-n/units", "-Q", "-B", "\"/p/App.dpr\""});
  EXPECT_EQ(o.exeOutputDir, "/out dir");
  EXPECT_EQ(o.unitOutputDir, "/units");
  EXPECT_EQ(o.source, "/p/App.dpr");
  EXPECT_THROW(ParseLinkerArguments({"-eX"}), std::invalid_argument);
  EXPECT_THROW(ParseLinkerArguments({"a.dpr", "b.dpr"}), std::invalid_argument);
}

uint16_t Le16(const std::string& s, size_t at) { return test::Le(s).U16At(at); }
uint32_t Le32(const std::string& s, size_t at) { return test::Le(s).U32At(at); }

// Every leaf as "type/name/lang=size", in the order of the directories.
std::vector<std::string> Leaves(const std::string& image) {
  TExefile exe({reinterpret_cast<const uint8_t*>(image.data()), image.size()}, 1252);
  std::vector<std::string> out;
  const TPEResourceDirectory& root = exe.ResourceSection().Root();
  for (int t = 0; t < root.SubdirectoryCount(); ++t) {
    const TPEResourceDirectory& type = root.Subdirectory(t);
    for (int n = 0; n < type.SubdirectoryCount(); ++n) {
      const TPEResourceDirectory& name = type.Subdirectory(n);
      for (int l = 0; l < name.DataEntryCount(); ++l) {
        const TPEResourceDataEntry& leaf = name.DataEntry(l);
        auto data = leaf.Data();
        std::string typeName = leaf.TypeIsNamed() ? leaf.TypeName() : "#" + std::to_string(leaf.TypeID());
        out.push_back(typeName + "/" + leaf.Name() + "/" + std::to_string(leaf.LanguageID()) + "=" +
                      std::string(data.begin(), data.end()));
      }
    }
  }
  return out;
}

TLinkedResource R(TResId type, TResId name, uint16_t lang, std::string data) {
  return {std::move(type), std::move(name), lang, std::move(data)};
}

std::vector<TLinkedResource> Mixed() {
  return {
      R(TResId::Number(10), TResId::Named(u"TFORM1"), 0, "form1"),
      R(TResId::Number(6), TResId::Number(4096), 0, "strings-high"),
      R(TResId::Named(u"MYDATA"), TResId::Number(7), 0x0407, "seven-de"),
      R(TResId::Number(300), TResId::Number(1), 0x0407, "three hundred"),
      R(TResId::Number(10), TResId::Named(u"TABOUTBOX"), 0, "about"),
      R(TResId::Named(u"MYDATA"), TResId::Named(u"CONFIG"), 0, "config"),
      R(TResId::Number(6), TResId::Number(2), 0, "strings-low"),
      R(TResId::Named(u"MYDATA"), TResId::Number(7), 0x0409, "seven-en"),
      R(TResId::Named(u"A"), TResId::Number(1), 0, ""),
      R(TResId::Number(10), TResId::Named(u"TFORM1A"), 0, "x"),
  };
}

TEST(PeWriter, EntriesSortAsWindowsLooksThemUpAndDuplicatesAreRefused) {
  EXPECT_EQ(Leaves(BuildResourceOnlyDll(Mixed())),
            (std::vector<std::string>{"A/#1/0=", "MYDATA/CONFIG/0=config", "MYDATA/#7/1031=seven-de",
                                      "MYDATA/#7/1033=seven-en", "#6/#2/0=strings-low", "#6/#4096/0=strings-high",
                                      "#10/TABOUTBOX/0=about", "#10/TFORM1/0=form1", "#10/TFORM1A/0=x",
                                      "#300/#1/1031=three hundred"}));
  // Names compare by code units.
  EXPECT_LT(CompareResId(TResId::Named(u"Z"), TResId::Number(0)), 0) << "names before numbers";
  EXPECT_LT(CompareResId(TResId::Named(u"B"), TResId::Named(u"_")), 0) << "0x42 before 0x5F";
  EXPECT_LT(CompareResId(TResId::Named(u"Z"), TResId::Named(u"\u00C4")), 0);
  EXPECT_LT(CompareResId(TResId::Number(9), TResId::Number(10)), 0);
  EXPECT_EQ(CompareResId(TResId::Named(u"AB"), TResId::Named(u"AB")), 0);
  std::vector<TLinkedResource> twice{R(TResId::Number(10), TResId::Named(u"T"), 0, "a"),
                                     R(TResId::Number(10), TResId::Named(u"T"), 0, "b")};
  EXPECT_THROW(BuildResourceOnlyDll(twice), std::invalid_argument);
  twice[1].language = 0x0407;
  EXPECT_NO_THROW(BuildResourceOnlyDll(twice));
  // A module without resources is still valid.
  std::string empty = BuildResourceOnlyDll({});
  EXPECT_TRUE(Leaves(empty).empty());
  EXPECT_EQ(empty.size(), 0x400u);
}

TEST(PeWriter, HeadersAgreeWithTheSectionAndTheChecksum) {
  for (size_t bytes : {size_t(0), size_t(1), size_t(4000), size_t(70000)}) {
    std::vector<TLinkedResource> resources = Mixed();
    resources.push_back(R(TResId::Number(10), TResId::Named(u"BIG"), 0, std::string(bytes, 'x')));
    std::string image = BuildResourceOnlyDll(resources);
    const size_t pe = Le32(image, 60), opt = pe + 24, section = opt + 224;
    ASSERT_EQ(image.substr(pe, 4), std::string("PE\0\0", 4));
    EXPECT_EQ(image.substr(section, 8), std::string(".rsrc\0\0\0", 8));
    const uint32_t sectionAlign = Le32(image, opt + 32), fileAlign = Le32(image, opt + 36);
    const uint32_t virtualSize = Le32(image, section + 8), rva = Le32(image, section + 12);
    const uint32_t rawSize = Le32(image, section + 16), rawPointer = Le32(image, section + 20);
    const struct {
      const char* what;
      uint64_t actual, expected;
    } fields[] = {
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

TEST(PeWriter, ChecksumMatchesAKnownSum) {
  // Words 0x0201 and 0x0403 with a carry-free sum, plus the length 4.
  EXPECT_EQ(PeChecksum(std::string("\x01\x02\x03\x04", 4), 100), 0x0604u + 4);
  // The carry folds back: 0xFFFF + 0x0003 = 0x10002, folded 0x0003, plus 4.
  EXPECT_EQ(PeChecksum(std::string("\xFF\xFF\x03\x00", 4), 100), 0x0003u + 4);
  // The four bytes of the field itself count as 0.
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
