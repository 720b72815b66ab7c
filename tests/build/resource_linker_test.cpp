// The linker: library sources good and bad (errors carry the line), the two
// kinds of linked file, damaged files cut and corrupted, the command line,
// and whole links through the library call (the ktlink program is a case of
// tests/cli).
#include "build/resource_linker.h"

#include <gtest/gtest.h>

#include "formmodel/form_conversion.h"
#include "peresources/exe_file.h"
#include "peresources/res_writer.h"
#include "platform/file_utils.h"
#include "support/test_support.h"

namespace kst {
namespace {

std::span<const uint8_t> Span(const std::string& s) { return {reinterpret_cast<const uint8_t*>(s.data()), s.size()}; }

struct TGoodSource {
  const char* name;
  std::string text;
  std::string links;  // "file@line" for every link, one a line
  std::string extension;
};

class GoodLibrarySource : public testing::TestWithParam<TGoodSource> {};

TEST_P(GoodLibrarySource, GivesEveryLinkWithItsLine) {
  TLibrarySource source = ParseLibrarySource(GetParam().text, "App.dpr");
  std::string links;
  for (const auto& link : source.links) links += link.file + "@" + std::to_string(link.line) + "\n";
  EXPECT_EQ(links, GetParam().links);
  EXPECT_EQ(source.extension, GetParam().extension);
}

INSTANTIATE_TEST_SUITE_P(
    Sources, GoodLibrarySource,
    testing::Values(
        TGoodSource{"generated",
                    "//\r\n// Language module generated using Kestrin Translator\r\n//\r\nlibrary App;\r\n"
                    "//TRN <Marker, please do not modify this line!\r\n{$E DEU}\r\n{--- Forms ---}\r\n"
                    "{$R 'C:\\Proj\\DEU\\Main.dfm'}\r\n{--- Version Info ---}\r\n"
                    "// Library does not include a version information!\r\n{--- Resource Strings ---}\r\n"
                    "{$R '/p/DEU/App.StringRes.RES'}\r\n{--- Custom Resources ---}\r\nend.\r\n",
                    "C:\\Proj\\DEU\\Main.dfm@8\n/p/DEU/App.StringRes.RES@12\n", "DEU"},
        // Switches and links inside comments are no links; without {$E} a library is a dll.
        TGoodSource{"directives comments and switches",
                    "LIBRARY x; {$R+} {$R-,I+} // {$R 'no.res'}\n{ {$R 'no2.res' }\n(* {$R no3.res} *)\n"
                    "{$R 'it''s.res'} (*$R plain.res*) {$RESOURCE other.res} {$D-} begin end.\n{$R 'after.res'}",
                    "it's.res@4\nplain.res@4\nother.res@4\n", "dll"}),
    test::TCaseName());

TEST(LibrarySource, EveryCutFailsWithALinkErrorOrReads) {
  std::string text = "library L; {$E DEU}\r\n(* c *) { c } // c\r\n{$R 'a''b.res'} (*$R x.res*) begin end.";
  for (size_t cut = 0; cut <= text.size(); ++cut) {
    try {
      ParseLibrarySource(text.substr(0, cut), "L.dpr");
      EXPECT_EQ(cut, text.size()) << "only the whole source reads";
    } catch (const ELinkError&) {
    }
  }
}

struct TBadSource {
  const char* text;
  const char* error;
};

class BadLibrarySource : public testing::TestWithParam<TBadSource> {};

TEST_P(BadLibrarySource, FailsWithFileAndLine) {
  try {
    ParseLibrarySource(GetParam().text, "L.dpr");
    FAIL() << "no error";
  } catch (const ELinkError& e) {
    EXPECT_STREQ(e.what(), GetParam().error);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, BadLibrarySource,
    testing::Values(TBadSource{"program P;\nbegin end.", "L.dpr(1) Error: 'library' expected"},
                    TBadSource{"library ;", "L.dpr(1) Error: Identifier expected"},
                    TBadSource{"library L\n\nend.", "L.dpr(3) Error: ';' expected"},
                    TBadSource{"library L;\nuses SysUtils;\nend.",
                               "L.dpr(2) Error: 'end' expected but 'uses' found; a language module holds resources only"},
                    TBadSource{"library L;\n{ open\n\n", "L.dpr(2) Error: Unterminated comment"},
                    TBadSource{"library L;\n\n{$R 'x.res}\nend.", "L.dpr(3) Error: Unterminated string"},
                    TBadSource{"library L;\n{$R ''}\nend.", "L.dpr(2) Error: File name expected"},
                    TBadSource{"library L;\n\n", "L.dpr(3) Error: Unexpected end of file"},
                    TBadSource{"library L;\nend;", "L.dpr(2) Error: '.' expected"}));

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

TEST(LinkedResources, FormFileBecomesRcdataNamedByItsClass) {
  std::string form = FormResource("TfrmMain", "Hallo");
  auto resources = ReadLinkedResources(Span(form), 1252);
  ASSERT_EQ(resources.size(), 1u);
  EXPECT_TRUE(resources[0].type.numeric);
  EXPECT_EQ(resources[0].type.id, 10);
  EXPECT_EQ(resources[0].name.name, u"TFRMMAIN");
  EXPECT_EQ(resources[0].language, 0);
  EXPECT_EQ(resources[0].data.substr(0, 4), "TPF0");
  EXPECT_EQ(resources[0].data, form.substr(ResourceStreamOffset(form)));
}

TEST(LinkedResources, ResFileKeepsLanguagesAndUpperCasesNames) {
  auto resources = ReadLinkedResources(Span(ResFile()), 1252);
  ASSERT_EQ(resources.size(), 2u) << "the empty first entry is not linked";
  EXPECT_EQ(resources[0].language, 0x0407);
  EXPECT_EQ(resources[0].data, "abcde");
  EXPECT_EQ(resources[1].type.name, u"MYDATA");
  EXPECT_EQ(resources[1].name.name, u"CONFIG");
  EXPECT_EQ(resources[1].language, 0x0409);
}

TEST(LinkedResources, TextFormsAndStrangersAreRefused) {
  EXPECT_THROW(ReadLinkedResources(Span("  object F: TF\r\nend\r\n"), 1252), std::runtime_error);
  EXPECT_THROW(ReadLinkedResources(Span("TPF0\x01" "F"), 1252), std::runtime_error);
  EXPECT_THROW(ReadLinkedResources(Span(""), 1252), std::runtime_error);
}

TEST(LinkedResources, EveryCutAndEveryCorruptedByteFailsCleanlyOrReadsWhole) {
  for (const std::string& file : {ResFile(), FormResource("TF", "x")}) {
    size_t whole = ReadLinkedResources(Span(file), 1252).size();
    for (size_t cut = 0; cut < file.size(); ++cut) {
      try {
        EXPECT_LT(ReadLinkedResources(Span(file.substr(0, cut)), 1252).size(), whole) << cut;
      } catch (const std::runtime_error&) {
      }
    }
    for (size_t at = 0; at < file.size(); ++at) {
      std::string bad = file;
      bad[at] = static_cast<char>(bad[at] ^ 0xA5);
      try {
        ReadLinkedResources(Span(bad), 1252);
      } catch (const std::runtime_error&) {
      }
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

class LinkTest : public testing::Test {
protected:
  test::TScratchDir dir;
  std::vector<std::string> printed;
  std::function<void(const std::string&)> print = [this](const std::string& l) { printed.push_back(l); };

  void Write(const std::string& name, const std::string& content) {
    ForceDirectories(ExtractFileDir(dir.File(name)));
    test::WriteFile(dir.File(name), content);
  }
};

// As the compiler does: the source file's name and the {$E} extension; the
// library's identifier cannot spell every file name ("my-app").
TEST_F(LinkTest, WritesTheModuleNamedBySourceFileAndExtension) {
  Write("src/Forms/MAIN.DFM", FormResource("TfrmMain", "Hallo"));
  Write("src/other.res", ResFile());
  Write("src/Lib.dpr", "library Demo;\r\n{$E DEU}\r\n{$R 'forms\\main.dfm'}\r\n{$R '" + dir.File("src/OTHER.RES") +
                           "'}\r\nend.\r\n");
  TLinkSummary s = LinkLanguageModule({dir.File("out"), "", dir.File("src/Lib")}, 1252, print);
  EXPECT_EQ(s.outputFile, dir.File("out/Lib.DEU"));
  EXPECT_EQ(s.resources, 3u);
  ASSERT_EQ(printed.size(), 3u);
  EXPECT_EQ(printed[0], dir.File("src/Lib") + "(3) forms\\main.dfm: 1 resource");
  TExefile exe(s.outputFile, 1252);
  const TPEResourceDirectory& root = exe.ResourceSection().Root();
  ASSERT_EQ(root.SubdirectoryCount(), 3);
  EXPECT_EQ(root.Subdirectory(0).TypeName(), "MYDATA");
  EXPECT_EQ(root.Subdirectory(2).Subdirectory(0).Name(), "TFRMMAIN");
}

TEST_F(LinkTest, MissingAndDamagedFilesNameTheLine) {
  Write("Lib.dpr", "library Lib;\n\n{$R 'gone.res'}\nend.\n");
  try {
    LinkLanguageModule({"", "", dir.File("Lib.dpr")}, 1252, print);
    FAIL();
  } catch (const ELinkError& e) {
    EXPECT_EQ(std::string(e.what()), dir.File("Lib.dpr") + "(3) Error: File not found: 'gone.res'");
  }
  Write("gone.res", ResFile().substr(0, 50));
  try {
    LinkLanguageModule({"", "", dir.File("Lib.dpr")}, 1252, print);
    FAIL();
  } catch (const ELinkError& e) {
    EXPECT_EQ(std::string(e.what()), dir.File("Lib.dpr") +
                                         "(3) Error: Invalid resource file 'gone.res': the file ends inside a resource entry");
  }
  EXPECT_FALSE(FileExists(dir.File("Lib.dll"))) << "nothing is written after an error";
}

TEST_F(LinkTest, DuplicatesWarnAndKeepTheFirst) {
  Write("a.dfm", FormResource("TF", "first"));
  Write("b.dfm", FormResource("TF", "second"));
  Write("L.dpr", "library L; {$R a.dfm}\n{$R b.dfm} end.");
  TLinkSummary s = LinkLanguageModule({"", "", dir.File("L.dpr")}, 1252, print);
  EXPECT_EQ(s.resources, 1u);
  ASSERT_GE(printed.size(), 2u);
  EXPECT_EQ(printed[1], dir.File("L.dpr") +
                            "(2) Warning: Duplicate resource: type 10, name \"TF\", language 0000; 'a.dfm' kept, "
                            "'b.dfm' discarded");
  std::string image = ReadFileBytes(s.outputFile);
  EXPECT_NE(image.find("first"), std::string::npos);
  EXPECT_EQ(image.find("second"), std::string::npos);
}

}  // namespace
}  // namespace kst
