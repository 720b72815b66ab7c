// The form text writer: string pieces, binary lines, collections, lists,
// user-defined values, and WriteForm's file handling.
#include <gtest/gtest.h>

#include <filesystem>

#include "config/interaction.h"
#include "formmodel/form_conversion.h"
#include "formmodel/form_errors.h"
#include "formmodel/form_reader.h"
#include "formmodel/form_writer.h"
#include "formmodel/value_check.h"
#include "platform/file_utils.h"
#include "support/test_support.h"

namespace kst {
namespace {

// The text written for a form with one property of the given value.
std::string Written(const std::string& text, TPropertyType type) {
  TComponentHelper root;
  root.Name = "Form1";
  root.ClassName = "TForm1";
  root.FindOrAddProperty("P", type, false)->SetValue(text, type);
  return FormToText(root, true);
}
std::string Expect(const std::string& valueLines) {
  return "object Form1: TForm1\r\n  P = " + valueLines + "\r\nEND\r\n";
}

struct TWriteCase {
  const char* name;
  std::string text;
  TPropertyType type;
  std::string written;
};

class WrittenValues : public ::testing::TestWithParam<TWriteCase> {};

TEST_P(WrittenValues, Layout) { EXPECT_EQ(Written(GetParam().text, GetParam().type), Expect(GetParam().written)); }

std::string A(size_t n) { return std::string(n, 'a'); }

INSTANTIATE_TEST_SUITE_P(
    Table, WrittenValues,
    ::testing::Values(
        TWriteCase{"QuoteAsCode", "it's", ptString, "'it'#39's'"},
        TWriteCase{"OnlyControls", "\r\n", ptString, "#13#10"},
        TWriteCase{"Empty", "", ptString, "''"},
        TWriteCase{"HighBytesPrintable", "Caf\xE9", ptString, "'Caf\xE9'"},
        TWriteCase{"HundredFifty", A(150), ptString,
                   "\r\n    '" + A(63) + "' + \r\n    '" + A(63) + "' + \r\n    '" + A(24) + "'"},
        TWriteCase{"FitsAfterName", A(58), ptString, "'" + A(58) + "'"},
        TWriteCase{"Integer", "$0080FF00", ptInteger, "$0080FF00"},
        TWriteCase{"Set", "[akLeft,akTop]", ptSet, "[akLeft,akTop]"},
        TWriteCase{"BinaryShort", "0A0BFF", ptBinary, "{0A0BFF}"},
        TWriteCase{"BinaryLong", std::string(80, 'F'), ptBinary,
                   "\r\n    {" + std::string(64, 'F') + "\r\n    " + std::string(16, 'F') + "}"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(FormToText, ObjectsCollectionsAndLists) {
  auto root = ReadFormText(
      "inherited Form1: TForm1\r\n"
      "  Cols = <\r\n    item [3]\r\n      A = 1\r\n    end\r\n    item\r\n    end>\r\n"
      "  Empty = <>\r\n"
      "  object ListBox1: TListBox\r\n"
      "    Items.Strings = (\r\n      'un'\r\n      'deux')\r\n"
      "    None = ()\r\n"
      "  end\r\n"
      "  object TBevel\r\n  end\r\n"
      "end\r\n");
  EXPECT_EQ(FormToText(*root, false),
            "inherited Form1: TForm1\r\n"
            "  Cols = <\r\n"
            "    item[3]\r\n"
            "      A = 1\r\n"
            "    end\r\n"
            "    item\r\n"
            "    end>\r\n"
            "  Empty = <\r\n"
            "    >\r\n"
            "  object ListBox1: TListBox\r\n"
            "    Items.Strings = (\r\n"
            "      'un'\r\n"
            "      'deux')\r\n"
            "    None = (\r\n"
            "      )\r\n"
            "  END\r\n"
            "  object TBevel\r\n"
            "  END\r\n"
            "END\r\n");
}

// A translation of a number, identifier, set or binary value goes into the
// form text as it stands: the writer takes it only when it reads back as one
// value of that type, never as more form text ("8 Visible = False").
struct TValueTextCase {
  TPropertyType type;
  std::string text;
  bool accepted;
};

class TranslatedValueTexts : public ::testing::TestWithParam<TValueTextCase> {};

TEST_P(TranslatedValueTexts, AreWrittenOnlyWhenTheyReadBackAsOneValue) {
  const TValueTextCase& c = GetParam();
  auto root = ReadFormText("object Form1: TForm1\r\n  P = 1\r\n  Q = 2\r\nend\r\n");
  TCHPropertyItem& p = *root->Properties[0];
  p.PropertyType = c.type;
  p.SetTranslatedValue(c.text);
  EXPECT_EQ(ValueTextProblem(c.type, c.text).empty(), c.accepted) << c.text;
  if (!c.accepted) {
    try {
      FormToText(*root, true);
      ADD_FAILURE() << "written: " << c.text;
    } catch (const EFormModelError& e) {
      EXPECT_NE(std::string(e.what()).find("The translation of Form1.P must be "), std::string::npos) << e.what();
    }
    return;
  }
  auto back = ReadFormText(FormToText(*root, true));
  ASSERT_EQ(back->Properties.size(), 2u) << c.text;
  EXPECT_EQ(back->Properties[0]->Name, "P");
  EXPECT_EQ(back->Properties[1]->OriginalValue, "2");
}

INSTANTIATE_TEST_SUITE_P(
    Cases, TranslatedValueTexts,
    testing::Values(TValueTextCase{ptInteger, "8", true}, TValueTextCase{ptInteger, "-12", true},
                    TValueTextCase{ptInteger, "$FFFFFFFF", true}, TValueTextCase{ptInteger, "8 Visible = False", false},
                    TValueTextCase{ptInteger, " 8", false}, TValueTextCase{ptInteger, "8\r\n", false},
                    TValueTextCase{ptInteger, "1.5", false}, TValueTextCase{ptInteger, "99999999999", false},
                    TValueTextCase{ptInteger, "", false}, TValueTextCase{ptInteger, "acht", false},
                    TValueTextCase{ptFloat, "1.5E2", true}, TValueTextCase{ptFloat, "2", true},
                    TValueTextCase{ptFloat, "1.5.5", false}, TValueTextCase{ptFloat, "1,5", false},
                    TValueTextCase{ptSymbol, "clBtnFace", true}, TValueTextCase{ptSymbol, "Form1.Button1", true},
                    TValueTextCase{ptSymbol, "clRed Visible = True", false}, TValueTextCase{ptSymbol, "'x'", false},
                    TValueTextCase{ptSet, "[akLeft, akTop]", true}, TValueTextCase{ptSet, "[]", true},
                    TValueTextCase{ptSet, "[akLeft] X = 1", false}, TValueTextCase{ptSet, "[akLeft,]", false},
                    TValueTextCase{ptBinary, "0A0bFF", true}, TValueTextCase{ptBinary, "", true},
                    TValueTextCase{ptBinary, "ABC", false}, TValueTextCase{ptBinary, "00} X = {", false},
                    TValueTextCase{ptString, "8 Visible = False'\r\n", true}));

TEST(FormToText, ChoosesTranslatedOrOriginalText) {
  auto root = ReadFormText("object Form1: TForm1\r\n  Caption = 'Hello'\r\nend\r\n");
  root->Properties[0]->SetTranslatedValue("Bonjour");
  EXPECT_EQ(FormToText(*root, true), "object Form1: TForm1\r\n  Caption = 'Bonjour'\r\nEND\r\n");
  EXPECT_EQ(FormToText(*root, false), "object Form1: TForm1\r\n  Caption = 'Hello'\r\nEND\r\n");
}

// Inherited forms place controls among the ancestor's by their position; a
// language module that lost it would reorder the translated program's
// controls (alignment, tab order).
TEST(FormToText, ChildPositionsSurviveTheLanguageModuleRoundTrip) {
  std::string text =
      "inherited frmChild: TfrmChild\r\n"
      "  inherited pnBottom: TPanel [0]\r\n"
      "  end\r\n"
      "  object Memo1: TMemo [1]\r\n"
      "  end\r\n"
      "  object Edit1: TEdit\r\n"
      "  end\r\n"
      "end\r\n";
  auto root = ReadFormResource(TextToResource(text));
  std::string written = FormToText(*root, true);
  EXPECT_NE(written.find("inherited pnBottom: TPanel [0]\r\n"), std::string::npos) << written;
  EXPECT_NE(written.find("object Memo1: TMemo [1]\r\n"), std::string::npos) << written;
  EXPECT_NE(written.find("object Edit1: TEdit\r\n"), std::string::npos) << written;
  EXPECT_EQ(ResourceToText(TextToResource(written)), text);
}

TEST(FormToText, UntranslatedUserDefinedValuesAreLeftOut) {
  auto root = ReadFormText("object Form1: TForm1\r\n  Caption = 'Hello'\r\nend\r\n");
  root->FindOrAddProperty("Hint", ptString, true);
  EXPECT_EQ(FormToText(*root, true), "object Form1: TForm1\r\n  Caption = 'Hello'\r\nEND\r\n");
  root->Properties[1]->SetTranslatedValue("Tip");
  EXPECT_EQ(FormToText(*root, true), "object Form1: TForm1\r\n  Caption = 'Hello'\r\n  Hint = 'Tip'\r\nEND\r\n");
}

TEST(FormToText, UnknownAndClassTypesStop) {
  for (TPropertyType type : {ptUnknown, ptClass}) {
    TComponentHelper root;
    root.ClassName = "TForm1";
    root.FindOrAddProperty("P", type, false);
    try {
      FormToText(root, true);
      ADD_FAILURE();
    } catch (const EFormModelError& e) {
      EXPECT_STREQ(e.what(), "Unknown property type");
    }
  }
}

TEST(FormToText, WrittenTextReadsBackToTheSameTree) {
  std::string long300(300, 'x');
  long300[100] = '\'';
  long300[200] = '\n';
  auto root = ReadFormText("object Form1: TForm1\r\n  A = '" + std::string(100, 'q') +
                           "' + #39 + #10\r\n  B = {" + std::string(200, 'E') +
                           "}\r\n  C = (\r\n    (1 2) 'x')\r\nend\r\n");
  root->Properties[0]->SetTranslatedValue(long300);
  auto again = ReadFormText(FormToText(*root, true));
  EXPECT_EQ(again->Properties[0]->OriginalValue, long300);
  EXPECT_EQ(again->Properties[1]->OriginalValue, std::string(200, 'E'));
  EXPECT_EQ(again->Properties[2]->ListValues.size(), 2u);
}

TEST(WriteForm, WritesTheResourceAtomicallyWithoutTemporaryFiles) {
  test::TScratchDir dir;
  auto root = ReadFormText("object Main: TMain\r\n  Caption = 'Hi'\r\nend\r\n");
  root->Properties[0]->SetTranslatedValue("Hallo");
  TRecordingInteraction hint;
  std::string target = dir.File("Main.dfm");
  WriteForm(*root, target, true, TFormEnvironment{nullptr, &hint, {}});
  EXPECT_EQ(ResourceToText(ReadFileBytes(target)), "object Main: TMain\r\n  Caption = 'Hallo'\r\nend\r\n");
  EXPECT_EQ(hint.hints.at(0), "Writing '" + target + "'...");
  EXPECT_EQ(hint.Hint(), "");
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Path()), {}), 1);
}

TEST(WriteForm, FailureLeavesTheExistingFile) {
  test::TScratchDir dir;
  std::string target = dir.File("Main.dfm");
  test::WriteFile(target, "previous");
  TComponentHelper root;
  root.ClassName = "TMain";
  root.FindOrAddProperty("P", ptUnknown, false);
  EXPECT_THROW(WriteForm(root, target, true), EFormModelError);
  EXPECT_EQ(ReadFileBytes(target), "previous");
  // A class name that is no symbol makes text the converter refuses.
  root.Properties.clear();
  root.ClassName = "1bad";
  EXPECT_THROW(WriteForm(root, target, true), EParserError);
  EXPECT_EQ(ReadFileBytes(target), "previous");
}

}  // namespace
}  // namespace kst
