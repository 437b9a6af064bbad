#include "foundation/Unicode.h"

#include <unicode/brkiter.h>
#include <unicode/bytestream.h>
#include <unicode/normalizer2.h>
#include <unicode/ucasemap.h>
#include <unicode/uchar.h>
#include <unicode/ustring.h>
#include <unicode/utext.h>
#include <unicode/utf8.h>

#include <algorithm>
#include <memory>

#include "foundation/Ascii.h"

namespace pindrake::unicode {
namespace {

constexpr UChar32 kReplacement = 0xFFFD;

bool isAscii(std::string_view text) {
    return std::all_of(text.begin(), text.end(),
                       [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

// Break iterators are costly to create and not thread-safe: one per thread.
icu::BreakIterator* characterIterator() {
    thread_local std::unique_ptr<icu::BreakIterator> iterator = [] {
        UErrorCode status = U_ZERO_ERROR;
        std::unique_ptr<icu::BreakIterator> it(
            icu::BreakIterator::createCharacterInstance(icu::Locale::getRoot(), status));
        return U_SUCCESS(status) ? std::move(it) : nullptr;
    }();
    return iterator.get();
}

// Walks grapheme boundaries without copying the text (invalid bytes read as U+FFFD); `visit`
// returns false to stop. Returns the byte offset where the walk stopped.
template <class Visit>
std::size_t walkGraphemes(std::string_view text, Visit visit) {
    auto* iterator = characterIterator();
    if (!iterator)
        return text.size();
    UErrorCode status = U_ZERO_ERROR;
    UText* utext = utext_openUTF8(nullptr, text.data(), static_cast<int64_t>(text.size()), &status);
    if (U_FAILURE(status))
        return text.size();
    iterator->setText(utext, status);
    std::size_t stopped = text.size();
    iterator->first();
    for (int32_t boundary = iterator->next(); boundary != icu::BreakIterator::DONE;
         boundary = iterator->next()) {
        if (!visit(static_cast<std::size_t>(boundary))) {
            stopped = static_cast<std::size_t>(boundary);
            break;
        }
    }
    utext_close(utext);
    return stopped;
}

}  // namespace

bool isValidUtf8(std::string_view bytes) {
    return isValidUtf8(bytes, CancellationToken::never());
}

bool isValidUtf8(std::string_view bytes, const CancellationToken& stop) {
    const auto* s = reinterpret_cast<const uint8_t*>(bytes.data());
    const auto length = static_cast<int32_t>(bytes.size());
    constexpr auto stretch = static_cast<int32_t>(CancellationToken::stretch);
    for (int32_t i = 0; i < length;) {
        if (stop.isCancelled())
            return false;
        const int32_t stretchEnd = length - i > stretch ? i + stretch : length;
        while (i < stretchEnd) {
            if (s[i] < 0x80) {
                ++i;
                continue;
            }
            UChar32 c;
            U8_NEXT(s, i, length, c);
            if (c < 0)
                return false;
        }
    }
    return true;
}

std::u16string toUtf16(std::string_view utf8) {
    if (utf8.empty())
        return {};
    std::u16string out(utf8.size(), u'\0');  // never more UTF-16 units than UTF-8 bytes
    int32_t length = 0;
    UErrorCode status = U_ZERO_ERROR;
    u_strFromUTF8WithSub(out.data(), static_cast<int32_t>(out.size()), &length, utf8.data(),
                         static_cast<int32_t>(utf8.size()), kReplacement, nullptr, &status);
    out.resize(U_SUCCESS(status) ? static_cast<std::size_t>(length) : 0);
    return out;
}

std::string toUtf8(std::u16string_view utf16) {
    if (utf16.empty())
        return {};
    std::string out(utf16.size() * 3, '\0');  // a unit never takes more than three bytes
    int32_t length = 0;
    UErrorCode status = U_ZERO_ERROR;
    u_strToUTF8WithSub(out.data(), static_cast<int32_t>(out.size()), &length, utf16.data(),
                       static_cast<int32_t>(utf16.size()), kReplacement, nullptr, &status);
    out.resize(U_SUCCESS(status) ? static_cast<std::size_t>(length) : 0);
    return out;
}

std::string sanitizedUtf8(std::string_view bytes) {
    if (isValidUtf8(bytes))
        return std::string(bytes);
    return toUtf8(toUtf16(bytes));
}

std::size_t graphemeCount(std::string_view text) {
    if (isAscii(text)) {
        // In ASCII only CR LF joins two characters into one.
        std::size_t count = text.size();
        for (std::size_t i = 1; i < text.size(); ++i) {
            if (text[i - 1] == '\r' && text[i] == '\n')
                --count;
        }
        return count;
    }
    std::size_t count = 0;
    walkGraphemes(text, [&count](std::size_t) {
        ++count;
        return true;
    });
    return count;
}

std::string graphemePrefix(std::string_view text, std::size_t count) {
    if (count == 0)
        return {};
    std::size_t seen = 0;
    const std::size_t end =
        walkGraphemes(text, [&seen, count](std::size_t) { return ++seen < count; });
    return sanitizedUtf8(text.substr(0, end));
}

// Unicode's stream-safe text format cuts a run of over 30 non-starters (counted in the
// compatibility decomposition, as the format says) with a combining grapheme joiner. Here the
// text is cut there instead, and each piece normalised on its own: canonical ordering then sorts
// runs of at most 30 marks, so normalising costs time linear in the text. A joiner would make the
// cut text one with a text that holds the joiner itself; a byte no UTF-8 holds does not.
std::string streamSafeNfc(std::string_view text) {
    constexpr std::size_t maxNonStarters = 30;
    constexpr char cut = '\xFF';
    if (isAscii(text))
        return std::string(text);
    // A text of many megabytes is not copied only to be checked.
    std::string repaired;
    const std::string_view valid = isValidUtf8(text) ? text : (repaired = sanitizedUtf8(text));
    UErrorCode status = U_ZERO_ERROR;
    const icu::Normalizer2* nfkd = icu::Normalizer2::getNFKDInstance(status);
    const icu::Normalizer2* nfc = icu::Normalizer2::getNFCInstance(status);
    if (U_FAILURE(status))
        return std::string(valid);
    std::string out;
    icu::StringByteSink<std::string> sink(&out, static_cast<int32_t>(valid.size()));
    int32_t pieceStart = 0;
    const auto normalizePieceUpTo = [&](int32_t end) {
        nfc->normalizeUTF8(0, icu::StringPiece(valid.data() + pieceStart, end - pieceStart), sink,
                           nullptr, status);
        pieceStart = end;
    };
    const auto* s = reinterpret_cast<const uint8_t*>(valid.data());
    const auto length = static_cast<int32_t>(valid.size());
    std::size_t nonStarters = 0;
    icu::UnicodeString decomposition;
    for (int32_t i = 0; i < length && U_SUCCESS(status);) {
        const int32_t start = i;
        UChar32 c;
        U8_NEXT(s, i, length, c);
        if (c < 0xA0) {  // ASCII and C1 controls: starters without decomposition
            nonStarters = 0;
            continue;
        }
        std::size_t leading = 0, trailing = 0, count = 1;
        if (nfkd->getDecomposition(c, decomposition)) {
            count = static_cast<std::size_t>(decomposition.countChar32());
            for (int32_t at = 0; at < decomposition.length() &&
                                 u_getCombiningClass(decomposition.char32At(at)) != 0;
                 at = decomposition.moveIndex32(at, 1)) {
                ++leading;
            }
            for (int32_t at = decomposition.length(); at > 0;) {
                at = decomposition.moveIndex32(at, -1);
                if (u_getCombiningClass(decomposition.char32At(at)) == 0)
                    break;
                ++trailing;
            }
        } else if (u_getCombiningClass(c) != 0) {
            leading = trailing = 1;
        }
        if (nonStarters + leading > maxNonStarters) {
            normalizePieceUpTo(start);
            out.push_back(cut);
            nonStarters = 0;
        }
        nonStarters = leading == count ? nonStarters + leading : trailing;
    }
    normalizePieceUpTo(length);
    return U_SUCCESS(status) ? out : std::string(valid);
}

std::string clippedGraphemePrefix(std::string_view text, std::size_t count,
                                  std::size_t maxCodePoints, bool* isWhole) {
    std::string clipped;
    std::size_t seen = 0;
    std::size_t start = 0;
    const std::size_t end = count == 0 ? 0 : walkGraphemes(text, [&](std::size_t boundary) {
        // A code point starts at every byte that does not continue one.
        std::size_t cut = boundary;
        std::size_t points = 0;
        for (std::size_t i = start; i < boundary; ++i) {
            if ((static_cast<unsigned char>(text[i]) & 0xC0) != 0x80 && points++ == maxCodePoints) {
                cut = i;
                break;
            }
        }
        clipped.append(text.substr(start, cut - start));
        start = boundary;
        return ++seen < count;
    });
    if (isWhole)
        *isWhole = end == text.size();
    return sanitizedUtf8(clipped);
}

std::string nfc(std::string_view text) {
    if (isAscii(text))
        return std::string(text);
    const std::string valid = sanitizedUtf8(text);
    UErrorCode status = U_ZERO_ERROR;
    const icu::Normalizer2* normalizer = icu::Normalizer2::getNFCInstance(status);
    if (U_FAILURE(status))
        return valid;
    std::string out;
    icu::StringByteSink<std::string> sink(&out, static_cast<int32_t>(valid.size()));
    normalizer->normalizeUTF8(0, icu::StringPiece(valid.data(), static_cast<int32_t>(valid.size())),
                              sink, nullptr, status);
    return U_SUCCESS(status) ? out : valid;
}

std::optional<std::string_view> trimmedView(std::string_view text, const CancellationToken& stop) {
    const auto* s = reinterpret_cast<const uint8_t*>(text.data());
    const auto length = static_cast<int32_t>(text.size());
    int32_t start = 0;
    for (std::size_t step = 1; start < length; ++step) {
        if (stop.isCancelledAt(step))
            return std::nullopt;
        int32_t next = start;
        UChar32 c;
        U8_NEXT(s, next, length, c);
        if (c < 0 || !u_isUWhiteSpace(c))
            break;
        start = next;
    }
    int32_t end = length;
    for (std::size_t step = 1; end > start; ++step) {
        if (stop.isCancelledAt(step))
            return std::nullopt;
        int32_t previous = end;
        UChar32 c;
        U8_PREV(s, start, previous, c);
        if (c < 0 || !u_isUWhiteSpace(c))
            break;
        end = previous;
    }
    return text.substr(static_cast<std::size_t>(start), static_cast<std::size_t>(end - start));
}

std::string trimmed(std::string_view text) {
    return sanitizedUtf8(*trimmedView(text));
}

bool isBlank(std::string_view text) {
    return trimmedView(text)->empty();
}

std::string caseFolded(std::string_view text) {
    if (isAscii(text)) {
        std::string out(text);
        std::transform(out.begin(), out.end(), out.begin(), ascii::toLower);
        return out;
    }
    const std::string valid = sanitizedUtf8(text);
    UErrorCode status = U_ZERO_ERROR;
    std::unique_ptr<UCaseMap, decltype(&ucasemap_close)> map(
        ucasemap_open(nullptr, U_FOLD_CASE_DEFAULT, &status), &ucasemap_close);
    if (U_FAILURE(status))
        return valid;
    std::string out(valid.size() + valid.size() / 2 + 16, '\0');
    for (int attempt = 0; attempt < 2; ++attempt) {
        status = U_ZERO_ERROR;
        int32_t length =
            ucasemap_utf8FoldCase(map.get(), out.data(), static_cast<int32_t>(out.size()),
                                  valid.data(), static_cast<int32_t>(valid.size()), &status);
        if (status == U_BUFFER_OVERFLOW_ERROR) {
            out.resize(static_cast<std::size_t>(length));
            continue;
        }
        if (U_FAILURE(status))
            return valid;
        out.resize(static_cast<std::size_t>(length));
        return out;
    }
    return valid;
}

}  // namespace pindrake::unicode
