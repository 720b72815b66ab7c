// Walking a language's entries for the quality check. The forms are walked
// here rather than through TTranslationSession::ForEachEntry because the
// clash and length checks need the component that holds each value; the
// paths are built as the form model builds them (a test holds the two
// together).
#include "checks/translation_check.h"

#include <algorithm>
#include <map>
#include <string_view>

#include "checks/text_checks.h"
#include "config/text_helpers.h"
#include "platform/file_utils.h"
#include "platform/same_text.h"
#include "preview/fit_check.h"
#include "session/translation_session.h"

namespace kst {

namespace {

bool HasLetter(std::string_view text) {
  return std::any_of(text.begin(), text.end(), [](char c) {
    auto b = static_cast<unsigned char>(c);
    return (b >= 'A' && b <= 'Z') || (b >= 'a' && b <= 'z') || b >= 0x80;
  });
}

// Counts the untranslated texts of one part of the project.
struct TUntranslated {
  int count = 0;
  std::string firstKey, firstPath;
  void Add(const std::string& key, const std::string& path) {
    if (count++ == 0) {
      firstKey = key;
      firstPath = path;
    }
  }
};

class TChecker {
 public:
  TChecker(TTranslationSession& session, TCheckReport& report, const TTextMeasure* measure)
      : session_(session), report_(report), measure_(measure) {
    report.languageId = session.CurrentLanguage();
    report.translationCodePage = session.TranslationCodePage();
    input_.originalCodePage = session.OriginalCodePage();
    input_.translationCodePage = report.translationCodePage;
    input_.languageId = report.languageId;
  }

  void Run() {
    TProjectData& project = session_.Project();
    TUntranslated strings;
    for (int i = 0; i < project.ResourceStrings.Count(); ++i) {
      const TResourceStrListItem& item = project.ResourceStrings.Item(i);
      place_ = {TEntryPlace::ResourceString, "", item.Name};
      if (item.OriginalValue == item.TranslatedValue) {
        if (HasLetter(item.OriginalValue)) strings.Add("@" + item.Name, item.Name);
        continue;
      }
      Check("@" + item.Name, DecodeFullEscapes(item.OriginalValue), DecodeFullEscapes(item.TranslatedValue), "", false);
    }
    if (strings.count > 0) {
      place_ = {TEntryPlace::ResourceString, "", strings.firstPath};
      Add(check_id::kUntranslated, TSeverity::Info, strings.firstKey,
          std::to_string(strings.count) + (strings.count == 1 ? " resource string is" : " resource strings are") +
              " not translated yet");
    }
    for (const auto& label : project.VersionInfo.Items) {
      if (!label->IsTranslated()) continue;
      place_ = {TEntryPlace::VersionKey, "", label->Key};
      Check("#" + label->Key, DecodeFullEscapes(label->Value), DecodeFullEscapes(label->Translation), "", false);
    }
    for (TModuleEntry& module : project.Modules) {
      if (!module.Module || !module.Module->Root) continue;
      formName_ = module.Name;
      keyPrefix_ = ExtractFileName(ToInternalPath(module.Module->FileName)) + ":";
      TUntranslated untranslated;
      untranslated_ = &untranslated;
      MeasureForm(*module.Module->Root);
      VisitComponent(*module.Module->Root, "");
      if (untranslated.count > 0) {
        place_ = {TEntryPlace::FormValue, formName_, untranslated.firstPath};
        Add(check_id::kUntranslated, TSeverity::Info, untranslated.firstKey,
            std::to_string(untranslated.count) + (untranslated.count == 1 ? " text" : " texts") + " of this form " +
                (untranslated.count == 1 ? "is" : "are") + " not translated yet");
      }
    }
  }

 private:
  struct TPlace {
    TEntryPlace place = TEntryPlace::None;
    std::string form, path;
  };

  void Add(const char* id, TSeverity severity, const std::string& key, std::string reason, std::string related = {}) {
    TFinding f;
    f.id = id;
    f.severity = severity;
    f.key = key;
    f.reason = std::move(reason);
    f.place = place_.place;
    f.form = place_.form;
    f.path = place_.path;
    f.relatedKey = std::move(related);
    report_.findings.push_back(std::move(f));
  }

  void Check(const std::string& key, const std::string& original, const std::string& translation,
             std::string_view property, bool fixedSize) {
    input_.original = original;
    input_.translation = translation;
    input_.property = property;
    input_.fixedSize = fixedSize;
    for (TFinding& f : CheckText(input_)) {
      f.key = key;
      f.place = place_.place;
      f.form = place_.form;
      f.path = place_.path;
      report_.findings.push_back(std::move(f));
    }
  }

  // A plain value of the form, as the form model's path walk hands them out.
  void VisitValue(TCHValue& value, const std::string& path, const std::string& property, bool fixedSize) {
    switch (value.PropertyType) {
      case ptCollection:
        for (size_t k = 0; k < value.CollectionItems.size(); ++k) {
          std::string base = path + "[" + std::to_string(k) + "]";
          for (const auto& item : value.CollectionItems[k]->Properties)
            VisitValue(*item, base + "." + item->Name, item->Name, false);
        }
        return;
      case ptList:
        for (size_t k = 0; k < value.ListValues.size(); ++k)
          VisitValue(*value.ListValues[k], path + "[" + std::to_string(k) + "]", property, false);
        return;
      case ptString: break;
      default: return;
    }
    const std::string key = keyPrefix_ + path;
    place_ = {TEntryPlace::FormValue, formName_, path};
    if (value.OriginalValue == value.TranslatedValue) {
      if (HasLetter(value.OriginalValue)) untranslated_->Add(key, path);
      return;
    }
    // Where the real fonts measured the text, the form says what fits; the
    // ratio only guesses, and stays for the texts nothing measured.
    const auto fit = fits_.find(path);
    Check(key, value.OriginalValue, value.TranslatedValue, property, fixedSize && fit == fits_.end());
    if (fit != fits_.end() && !fit->second.Fits)
      Add(check_id::kLength, TSeverity::Warning, key,
          "The translation does not fit: it needs " + std::to_string(fit->second.Needed) + " px, the control gives " +
              std::to_string(fit->second.Room) + " px");
  }

  // The form's translated caption-like texts measured in the form as the
  // module carries it (a translation may widen a control, too), by property path.
  void MeasureForm(const TComponentHelper& root) {
    fits_.clear();
    if (!measure_) return;
    const TFormLayout layout(root, measure_, TFitText::Translated);
    for (TTextFit& fit : CheckFit(layout, *measure_, TFitText::Translated)) fits_.emplace(fit.Key, std::move(fit));
  }

  void VisitComponent(TComponentHelper& node, const std::string& prefix) {
    const std::string base = prefix + node.Name;
    const bool fixed = HasFixedCaptionSize(node);
    for (const auto& item : node.Properties)
      VisitValue(*item, base + "." + item->Name, item->Name, fixed && SameText(item->Name, "Caption"));
    CheckClashes(node, base);
    for (size_t k = 0; k < node.Children.size(); ++k) {
      TComponentHelper& child = *node.Children[k];
      // Names are unique within a form, so a named child needs no prefix.
      VisitComponent(child, child.Name.empty() ? base + "{" + std::to_string(k) + "}" : std::string());
    }
  }

  struct TCaptionAccelerator {
    std::string path;
    char16_t original = 0, translated = 0;
  };

  void CheckClashes(TComponentHelper& parent, const std::string& base) {
    std::vector<TCaptionAccelerator> siblings;
    for (size_t k = 0; k < parent.Children.size(); ++k) {
      const TComponentHelper& child = *parent.Children[k];
      const TCHPropertyItem* caption = child.FindPropertyItem("Caption");
      if (!caption || caption->PropertyType != ptString) continue;
      std::vector<char16_t> translated = Accelerators(DecodeText(caption->TranslatedValue, input_.translationCodePage));
      if (translated.empty()) continue;
      std::vector<char16_t> original = Accelerators(DecodeText(caption->OriginalValue, input_.originalCodePage));
      std::string childBase = child.Name.empty() ? base + "{" + std::to_string(k) + "}" : child.Name;
      siblings.push_back(
          {childBase + "." + caption->Name, original.empty() ? char16_t(0) : original[0], translated[0]});
    }
    // For each translated letter, the first sibling that has it and the
    // first with another original letter: a later sibling clashes anew
    // with one of the two unless all of them had its original letter.
    struct TFirst {
      int first = -1, other = -1;
    };
    std::map<char16_t, TFirst> byLetter;
    for (int i = 0; i < static_cast<int>(siblings.size()); ++i) {
      const TCaptionAccelerator& b = siblings[i];
      TFirst& seen = byLetter[b.translated];
      int clash = -1;
      if (seen.first >= 0) {
        char16_t firstOriginal = siblings[seen.first].original;
        if (b.original == 0 || firstOriginal != b.original)
          clash = seen.first;
        else if (seen.other >= 0)
          clash = seen.other;
        if (seen.other < 0 && firstOriginal != b.original) seen.other = i;
      } else {
        seen.first = i;
      }
      if (clash < 0) continue;
      const TCaptionAccelerator& a = siblings[clash];
      place_ = {TEntryPlace::FormValue, formName_, b.path};
      std::string letter = Utf16ToCodePage(std::u16string(1, b.translated), input_.translationCodePage);
      Add(check_id::kAcceleratorClash, TSeverity::Warning, keyPrefix_ + b.path,
          "The accelerator \"&" + letter + "\" is used by " + a.path + " too; the originals used different letters",
          keyPrefix_ + a.path);
    }
  }

  TTranslationSession& session_;
  TCheckReport& report_;
  const TTextMeasure* measure_;
  std::map<std::string, TTextFit> fits_;
  TTextCheckInput input_;
  TPlace place_;
  std::string formName_, keyPrefix_;
  TUntranslated* untranslated_ = nullptr;
};

}  // namespace

int TCheckReport::Count(TSeverity severity) const {
  return static_cast<int>(
      std::count_if(findings.begin(), findings.end(), [&](const TFinding& f) { return f.severity == severity; }));
}

TCheckReport CheckTranslations(TTranslationSession& session, const TTextMeasure* measure) {
  if (session.CurrentLanguage() <= 0)
    throw ETranslationError("No language is selected: select the language whose translations are to be checked.");
  TCheckReport report;
  TChecker(session, report, measure).Run();
  return report;
}

}  // namespace kst
