#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "model/colour.h"
#include "model/font.h"

// Keyed archives: an object graph stored in a property list ("$archiver", "$objects",
// "$top", "$version") where records refer to each other through UID references and name
// their class through class records ("$classname", "$classes"). The property-list layer
// (XML or binary) is libplist's; this layer maps the object graph on top of it and knows
// nothing about documents, so every archived file type can share it.
namespace xyla::archive {

class ArchiveReader;

// A handle on one value of an archive: a record, a list, a string, a number and so on.
// Every getter answers nothing when the value is of another kind (or absent), so a
// damaged or hostile file cannot make the caller read the wrong thing.
class ArchiveItem {
 public:
  ArchiveItem() = default;

  // True when nothing is there (absent key, "$null", dangling or too deep a reference).
  bool isNull() const { return node_ == nullptr; }

  std::optional<bool> asBool() const;
  // A 32-bit signed integer; reals and integers outside the range are refused.
  std::optional<int> asInt() const;
  // An integer or a real.
  std::optional<double> asDouble() const;
  // A string (a plain string or an NSString record); invalid UTF-8 is repaired.
  std::optional<std::string> asString() const;
  // A byte block (plain data or an NSData record).
  std::optional<std::string> asData() const;
  // Like asData but without a copy; the view lives as long as the reader.
  std::optional<std::string_view> dataView() const;
  // A colour record (RGB or grey colour spaces).
  std::optional<Colour> asColour() const;
  // A font record: family name and size in points.
  std::optional<FontSpec> asFont() const;
  // The elements of a list record (NSArray and its kin).
  std::optional<std::vector<ArchiveItem>> asList() const;
  // A dictionary record whose keys and values are strings; other entries are skipped.
  std::optional<std::map<std::string, std::string>> asStringDictionary() const;

  // True for a keyed record (a dictionary naming its class).
  bool isRecord() const;
  // The class name of a record, "" for anything else.
  std::string className() const;
  // The value stored under `key` in a record (null when absent or not a record).
  ArchiveItem get(const std::string& key) const;
  bool has(const std::string& key) const { return !get(key).isNull(); }

  // Charges what an object decoded from this item costs in memory to the reader's
  // budget, so a record referred to many times counts each time it is decoded; false
  // (and the reader exhausted) once the budget is spent.
  bool charge(std::size_t bytes) const;

 private:
  friend class ArchiveReader;
  ArchiveItem(const ArchiveReader* reader, void* node, int depth) : reader_(reader), node_(node), depth_(depth) {}
  ArchiveItem resolve(void* value) const;

  const ArchiveReader* reader_ = nullptr;
  void* node_ = nullptr;
  int depth_ = 0;
};

// A parsed archive. Opening checks the container; the object graph is resolved lazily
// as the caller walks it, with a nesting limit (which also ends reference cycles) and a
// budget on the bytes handed out (so shared blocks cannot multiply into unbounded
// memory).
class ArchiveReader {
 public:
  ~ArchiveReader();
  ArchiveReader(const ArchiveReader&) = delete;
  ArchiveReader& operator=(const ArchiveReader&) = delete;

  // Parses an XML or binary property list holding a keyed archive; nothing when the
  // bytes are not one.
  static std::unique_ptr<ArchiveReader> open(std::string_view bytes);

  // The root object ("root" of "$top", or its only entry).
  ArchiveItem root() const;

  // Deepest chain of references followed from the root.
  static constexpr int kMaxDepth = 64;

  // True once the budget ran out: what was read is incomplete, the file is damaged or
  // built to exhaust memory.
  bool exhausted() const { return exhausted_; }

 private:
  friend class ArchiveItem;
  ArchiveReader() = default;
  // Charges `bytes` against the budget; false once it is spent.
  bool spend(std::size_t bytes) const;

  void* plist_ = nullptr;
  void* objects_ = nullptr;
  std::vector<void*> objectNodes_;  // the elements of $objects, for lookups by number
  std::uint32_t objectCount_ = 0;
  mutable std::size_t budget_ = 0;
  mutable bool exhausted_ = false;
};

// A reference to an object written into an archive.
struct Uid {
  std::uint64_t index = 0;  // 0 is "$null"
};

enum class PlistFormat { Xml, Binary };

// Builds an archive object by object. Records are filled through `Record`; strings,
// byte blocks, colours, fonts, lists and dictionaries are added as objects of their own
// and referred to by Uid. Equal strings, colours and fonts, and empty byte blocks, are
// stored once. Each object
// is kept as its finished XML text, so the writer holds about the size of the file.
class ArchiveWriter {
 public:
  ArchiveWriter();
  ~ArchiveWriter();
  ArchiveWriter(const ArchiveWriter&) = delete;
  ArchiveWriter& operator=(const ArchiveWriter&) = delete;

  // A keyed record under construction; its object number is fixed when it is begun, so
  // the objects it refers to follow it in the archive. Each key is set once.
  class Record {
   public:
    Uid uid() const { return uid_; }
    void setBool(const std::string& key, bool v);
    void setInt(const std::string& key, int v);
    void setDouble(const std::string& key, double v);
    void setObject(const std::string& key, Uid object);
    void setString(const std::string& key, const std::string& v) { setObject(key, writer_->string(v)); }
    void setData(const std::string& key, const void* bytes, std::size_t length) {
      setObject(key, writer_->data(bytes, length));
    }
    void setColour(const std::string& key, const Colour& c) { setObject(key, writer_->colour(c)); }
    void setFont(const std::string& key, const FontSpec& f) { setObject(key, writer_->font(f)); }
    void setStringDictionary(const std::string& key, const std::map<std::string, std::string>& d) {
      setObject(key, writer_->stringDictionary(d));
    }
    ArchiveWriter& writer() { return *writer_; }

   private:
    friend class ArchiveWriter;
    Record(ArchiveWriter* w, Uid uid) : writer_(w), uid_(uid) {}
    // The record's text with the key of a new entry appended, for its value to follow.
    std::string& entry(const std::string& key);
    // A list of references stored inside the record itself.
    void setUidList(const std::string& key, const std::vector<Uid>& items);
    ArchiveWriter* writer_;
    Uid uid_;
  };

  // Begins a record of class `className`, whose class chain is `className` followed by
  // `superclasses`.
  Record record(const std::string& className, const std::vector<std::string>& superclasses = {"NSObject"});
  Uid string(const std::string& v);
  Uid data(const void* bytes, std::size_t length);
  Uid colour(const Colour& c);
  Uid font(const FontSpec& f);
  Uid list(const std::vector<Uid>& items);
  Uid stringDictionary(const std::map<std::string, std::string>& d);

  // The archive's bytes with `root` as its root object. Ends the writer.
  std::string finish(Uid root, PlistFormat format = PlistFormat::Xml);
  // Hands the XML form to `sink` piece by piece, freeing each piece once handed over;
  // false as soon as `sink` answers false. Ends the writer.
  bool finish(Uid root, const std::function<bool(std::string_view)>& sink);

 private:
  Uid append(std::string xml);
  Uid classRecord(const std::string& className, const std::vector<std::string>& superclasses);

  std::vector<std::string> objects_;  // the XML of each object; records without their closing tag
  std::vector<bool> open_;            // true for records, closed when written
  std::map<std::string, Uid> strings_;
  std::map<std::string, Uid> classes_;
  std::map<std::string, Uid> colours_;
  std::map<std::string, Uid> fonts_;
  Uid emptyData_;  // the one empty byte block, once written
};

}  // namespace xyla::archive
