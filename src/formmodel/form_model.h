// The in-memory tree of one form: module, component nodes, property items and
// values, each owner holding its contents in std::unique_ptr containers. A
// value is translated exactly when its translated text differs from the original.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace kst {

class TStatusHint;
class TTranslatorRegistry;

enum TPropertyType : uint8_t {
  ptUnknown = 0,
  ptString = 1,
  ptInteger = 2,
  ptFloat = 3,
  ptClass = 4,
  ptSymbol = 5,
  ptSet = 6,
  ptBinary = 7,
  ptCollection = 8,
  ptList = 9,
};

// "ptUnknown" ... "ptList", the spellings of the user-defined entries.
const char* PropertyTypeName(TPropertyType type);
// The type of a name compared without regard to case after trimming blanks;
// ptUnknown for a name that is none of the ten.
TPropertyType PropertyTypeFromName(std::string_view name);

class TComponentHelper;

// A vector that takes one pointer while it is empty, as the list elements and
// collection items of nearly every value are; it offers the part of
// std::vector the model uses.
template <typename T>
class TCompactVector {
public:
  size_t size() const { return items_ ? items_->size() : 0; }
  bool empty() const { return size() == 0; }
  T& operator[](size_t i) { return (*items_)[i]; }
  const T& operator[](size_t i) const { return (*items_)[i]; }
  T& back() { return items_->back(); }
  const T& back() const { return items_->back(); }
  void push_back(T item) {
    if (!items_) items_ = std::make_unique<std::vector<T>>();
    items_->push_back(std::move(item));
  }
  void pop_back() {
    items_->pop_back();
    if (items_->empty()) items_.reset();
  }
  void clear() { items_.reset(); }
  T* begin() { return items_ ? items_->data() : nullptr; }
  T* end() { return items_ ? items_->data() + items_->size() : nullptr; }
  const T* begin() const { return items_ ? items_->data() : nullptr; }
  const T* end() const { return items_ ? items_->data() + items_->size() : nullptr; }

private:
  std::unique_ptr<std::vector<T>> items_;
};

// A form holds hundreds of thousands of values, so the layout is kept tight:
// no virtual functions (property items are owned as TCHPropertyItem, never
// deleted through a TCHValue pointer) and the small fields packed at the end.
class TCHValue {
public:
  TCHValue() = default;
  ~TCHValue();
  TCHValue(const TCHValue&) = delete;
  TCHValue& operator=(const TCHValue&) = delete;

  TCompactVector<std::unique_ptr<TCHValue>> ListValues;
  std::string OriginalValue;
  std::string TranslatedValue;
  TCompactVector<std::unique_ptr<TComponentHelper>> CollectionItems;
  // A wide or UTF-8 string of a later Delphi version: its characters as the
  // form has them, written back unchanged while the value is untranslated
  // (OriginalValue holds what the project's code page can show of them).
  std::unique_ptr<std::u16string> WideOriginal;
  TPropertyType PropertyType = ptUnknown;
  bool UserDefined = false;
  // kWideString or kUtf8String for such a string, 0 for every other value.
  uint8_t WideKind = 0;

  void SetValue(std::string_view text, TPropertyType type);
  const std::string& GetOriginalValue() const { return OriginalValue; }
  const std::string& GetTranslatedValue() const { return TranslatedValue; }
  void SetTranslatedValue(std::string_view text) { TranslatedValue = text; }
  bool IsTranslated() const { return TranslatedValue != OriginalValue; }
  void ResetTranslation() { TranslatedValue = OriginalValue; }
  // Appends an empty ptUnknown element and returns it (owned by this value).
  TCHValue* AddListValue();
  // Appends a parentless, nameless component node (owned by this value).
  TComponentHelper* AddCollectionItem();
};

class TCHPropertyItem final : public TCHValue {
public:
  // Dotted names ("Font.Name") are one name.
  std::string Name;
};

// Called for each plain value with its property path.
using TPropertyPathVisitor = std::function<void(const std::string& path, TCHValue& value)>;

class TComponentHelper {
public:
  // A root, or a collection item; children are made with AddChild.
  TComponentHelper() = default;
  ~TComponentHelper();
  TComponentHelper(const TComponentHelper&) = delete;
  TComponentHelper& operator=(const TComponentHelper&) = delete;

  TComponentHelper* Parent = nullptr;
  std::string Name;
  std::string ClassName;
  std::vector<std::unique_ptr<TComponentHelper>> Children;
  std::vector<std::unique_ptr<TCHPropertyItem>> Properties;
  int32_t Index = -1;
  // The component's place among its parent's children as written after
  // its class ("object Memo1: TMemo [1]"), -1 when none was. Inherited
  // forms use it to put a control among the ancestor's controls, so it is
  // kept, 0 included, and written back.
  int32_t Position = -1;
  bool IsInherited = false;
  // Written "inline": a frame placed on a form (Delphi 5 on). Delphi
  // creates such a component from the frame's own form, so losing the word
  // would leave the frame's controls out of the translated form.
  bool IsInline = false;
  bool UserDefined = false;

  // Creates a node with this one as parent, appended to Children.
  TComponentHelper* AddChild();
  // Destroys a child (and everything below it) and removes it from Children.
  void RemoveChild(TComponentHelper* child);

  // The first property item of that name (case-insensitive), or a new one
  // with that type and flag appended. An existing item keeps type and flag.
  TCHPropertyItem* FindOrAddProperty(std::string_view name, TPropertyType type, bool userDefined);
  TCHPropertyItem* FindPropertyItem(std::string_view name) const;
  // Resets every translation of this node, its collection items and
  // children (list elements one level deep: elements of nested lists keep theirs).
  void ResetAllTranslations();

  // Resolves a property path ("Button1.Caption", ">Panel1>Button1.Caption",
  // "ListBox1.Items.Strings[3]", "Form1{2}.Caption") to a property item or
  // list element; nullptr when nothing is there. Raises EFormModelError
  // "Invalid ID" for a value path that does not begin with "[".
  TCHValue* FindProperty(std::string_view path);
  // Component paths of user-defined entries; nullptr when none.
  TComponentHelper* FindComponentByName(std::string_view path);
  TComponentHelper* FindComponent(std::string_view path);
  // Appends the path of every plain value; raises "Internal Error" for a
  // ptUnknown value.
  void EnumeratePropertyPaths(std::vector<std::string>& list);
  // The same walk, handing out each value with its path.
  void ForEachPropertyPath(const TPropertyPathVisitor& visit);
  // ".Caption" -> "TForm.Caption"; ">Panel1>Button1.Caption" ->
  // "TButton.Caption"; "" when a segment names no child.
  std::string ClassPropertyName(std::string_view displayPath) const;
  // The same for a path as EnumeratePropertyPaths builds it, on the root:
  // "Button1.Caption" -> "TButton.Caption", "Form1{2}{0}.Caption" ->
  // "TLabel.Caption", "DBGrid1.Columns[0].Title.Caption" ->
  // "TDBGrid.Columns[0].Title.Caption", and the root's own properties
  // ("Form1.Caption") -> "TForm.Caption" as for the display path ".Caption".
  // "" when the path names no component of this tree.
  std::string ClassQualifiedPath(std::string_view enumeratedPath) const;

private:
  TCHValue* ResolveFromDot(std::string_view path);
};

// Where reading and writing forms get path expansion and the status hint.
// Without a registry, names are used as they stand (backslashes become "/").
// A relative name is taken against `baseDirectory` (the project's directory)
// when that is set, never against the process's current directory.
struct TFormEnvironment {
  const TTranslatorRegistry* registry = nullptr;
  TStatusHint* hint = nullptr;
  std::string baseDirectory;
  // The ANSI code page texts are read in (the project's), or written in
  // (the language's, for a translated form).
  int codePage = 1252;
  std::string ExpandFileName(std::string_view fileName) const;
};

class TModuleHelper {
public:
  // Stores both and reads the form; raises the reader's errors.
  TModuleHelper(std::string fileName, bool manuallyAdded, const TFormEnvironment& environment = {});
  // Discards the tree and reads the form file again.
  void Reload(const TFormEnvironment& environment = {});

  bool ManuallyAdded = false;
  std::unique_ptr<TComponentHelper> Root;
  std::string FileName;  // may hold path macros
  double FileDate = 0;
};

}  // namespace kst
