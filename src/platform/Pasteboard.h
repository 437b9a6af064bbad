#pragma once

#include <cstdint>
#include <initializer_list>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace pindrake::platform {

// The type identifiers the rest of the program speaks. Backends translate them to and from
// their own names (MIME types on Linux); any other type keeps the backend's own name.
namespace pasteboard_type {
inline constexpr std::string_view fileUrl = "public.file-url";
inline constexpr std::string_view png = "public.png";
inline constexpr std::string_view tiff = "public.tiff";
inline constexpr std::string_view html = "public.html";
inline constexpr std::string_view plainText = "public.utf8-plain-text";
}  // namespace pasteboard_type

struct PasteboardEntry {
    std::string type;
    std::string data;

    bool operator==(const PasteboardEntry&) const = default;
};

// Everything the clipboard offered at one moment: each type once, with its raw bytes, in the
// order the owner listed them. Copies share the bytes, which are never changed while shared: a
// copy costs the same whatever the clipboard held (up to hundreds of megabytes), and can be
// handed to another thread.
class PasteboardContents {
  public:
    PasteboardContents() = default;
    PasteboardContents(std::initializer_list<PasteboardEntry> entries);

    // Adds a type, or replaces the bytes of a type already there (keeping its place).
    void set(std::string type, std::string data);

    const std::vector<PasteboardEntry>& entries() const;
    bool empty() const { return entries().empty(); }
    bool contains(std::string_view type) const { return data(type) != nullptr; }
    // The bytes of a type, or null when it is not offered.
    const std::string* data(std::string_view type) const;

    bool operator==(const PasteboardContents& other) const { return entries() == other.entries(); }

  private:
    // Null while empty.
    std::shared_ptr<std::vector<PasteboardEntry>> entries_;
};

// The system clipboard. Main thread only.
class Pasteboard {
  public:
    virtual ~Pasteboard() = default;

    // Goes up on every copy to the clipboard, whoever made it, including a copy of the same
    // contents again and our own writes. An owner that leaves the clipboard empty makes no copy.
    virtual std::int64_t changeCount() const = 0;
    // Another application took the clipboard and its copy is still being read: `changeCount`
    // goes up once it is. A write now would replace a copy nobody has seen.
    virtual bool isReadingACopy() const = 0;
    // Every type with its bytes, read in one go, so that what is captured and what is kept for
    // a later paste always come from the same copy. Empty when nobody owns the clipboard. Shares
    // the bytes read, so it costs the same whatever the copy holds.
    virtual PasteboardContents read() = 0;
    // Replaces the clipboard's contents with exactly these types; empty contents clear it.
    // False when another application took the clipboard first: what it copied stays there.
    [[nodiscard]] virtual bool write(const PasteboardContents& contents) = 0;
    // Offers what we last wrote as the primary selection too, for applications that paste
    // only that; false when another application took it first.
    [[nodiscard]] virtual bool copyToPrimarySelection() = 0;
};

}  // namespace pindrake::platform
