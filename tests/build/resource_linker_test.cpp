// The linker: library sources good and bad (errors carry the line), the two
// kinds of linked file, damaged files cut and corrupted, the command line.
// Whole links are cases of tests/cli (ktlink, link-files).
#include "build/resource_linker.h"

#include <gtest/gtest.h>

#include "formmodel/form_conversion.h"
#include "peresources/res_writer.h"
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
    if (test::Thrown<ELinkError>([&] { ParseLibrarySource(text.substr(0, cut), "L.dpr"); }) == "(nothing thrown)")
      EXPECT_EQ(cut, text.size()) << "only the whole source reads";
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

}  // namespace
}  // namespace kst
