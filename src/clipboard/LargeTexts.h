#pragma once

#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

#include "clipboard/ClipboardItem.h"
#include "clipboard/SipHash.h"
#include "foundation/Files.h"

namespace pindrake::clipboard {

// Texts too large to keep with the history list live in files of their own in the history
// folder, "<ID>.plainText" and "<ID>.htmlText", their bytes as they are; the entry keeps the
// beginning, for its title, preview and search. A text handed over stays in memory until its
// file is written (for good when that fails, so the history file can hold it instead), and is
// found here meanwhile. The history records each file's length and digest (KeptTextCheck); a
// file that no longer matches them is never read as the text. Shared with the jobs that write
// and read the files, on any thread.
class LargeTexts : public std::enable_shared_from_this<LargeTexts> {
  public:
    // Texts longer than this are kept apart; the entry keeps as much of their beginning.
    static constexpr std::size_t keptBytes = 64 * 1024;
    // What a file is read in when it is read a piece at a time.
    static constexpr std::size_t pieceBytes = 1 << 20;

    static bool isLarge(std::string_view text) { return text.size() > keptBytes; }
    // Cuts a large text to its beginning, never inside a character; gives back the whole.
    static std::string cut(std::string& text);
    // The extension of a field's file: ".plainText" or ".htmlText".
    static std::string_view extension(TextField field);
    // The length and digest of a text, in one pass over it.
    static KeptTextCheck checkOf(std::string_view text);

    explicit LargeTexts(std::filesystem::path directory) : directory_(std::move(directory)) {}

    // Keeps the whole text of the entry's field until the returned job has written its file and
    // recorded its check.
    std::function<void()> keep(const std::string& id, TextField field, std::string whole);
    // The whole text: from memory while its file is not written, else from the file. Nothing
    // when neither has it, or when the file does not match the check recorded of it (logged
    // with the reason).
    std::optional<std::string> read(const std::string& id, TextField field) const;
    // A file of a text kept apart read a piece at a time, its check worked out on the way.
    class PieceReader {
      public:
        // The next piece, valid until the next call; empty at the end of a file whose bytes are
        // the ones recorded (or of which nothing was recorded). Nothing when the file cannot be
        // read, or at its end when its bytes are not the ones recorded.
        std::optional<std::string_view> next();
        // Whether the history recorded a check of the file, which its end is compared with.
        bool isChecked() const { return recorded_.has_value(); }
        // The check of the bytes read, once the file's end has been.
        const std::optional<KeptTextCheck>& check() const { return check_; }

      private:
        friend class LargeTexts;
        PieceReader(files::FileReader file, std::optional<KeptTextCheck> recorded);

        files::FileReader file_;
        std::optional<KeptTextCheck> recorded_;
        std::optional<KeptTextCheck> check_;
        SipHash128 digest_;
        std::uint64_t read_ = 0;
        std::string buffer_;
    };

    // The file of a text kept apart, to be read a piece at a time: none when it is gone, or not
    // the length the history recorded of it. Only `read` says why it refuses a file.
    std::optional<PieceReader> open(const std::string& id, TextField field) const;
    // The check the history recorded of a file, as loaded or as written now.
    void record(const std::string& id, TextField field, KeptTextCheck check);
    std::optional<KeptTextCheck> recorded(const std::string& id, TextField field) const;
    // For a file the history recorded nothing of: a job that records the check of the file as it
    // stands, so that from the next save on it is checked, and says whether it did.
    std::function<bool()> recordAsItStands(const std::string& id, TextField field);
    // The whole text when its file is not written (yet, or for good), else null.
    std::shared_ptr<const std::string> unwritten(const std::string& id, TextField field) const;
    // After the entry's files are removed: a text whose file could not be written goes too.
    void forget(const std::string& id);
    // The entry's file of the field; empty for an identifier that is not a plain name.
    std::filesystem::path path(const std::string& id, TextField field) const;

  private:
    using Key = std::pair<std::string, TextField>;

    std::filesystem::path directory_;
    mutable std::mutex mutex_;
    std::map<Key, std::shared_ptr<const std::string>> unwritten_;
    std::map<Key, KeptTextCheck> checks_;
};

}  // namespace pindrake::clipboard
