#include "markdown/tree/CanonicalEquivalence.h"

#include <unicode/normalizer2.h>
#include <unicode/unistr.h>
#include <unicode/ustring.h>

#include <optional>

namespace pindrake::markdown {

namespace {

std::optional<icu::UnicodeString> decoded(std::string_view text) {
    UErrorCode status = U_ZERO_ERROR;
    int32_t length = 0;
    u_strFromUTF8(nullptr, 0, &length, text.data(), static_cast<int32_t>(text.size()), &status);
    if (status != U_BUFFER_OVERFLOW_ERROR && U_FAILURE(status))
        return std::nullopt;
    icu::UnicodeString result;
    status = U_ZERO_ERROR;
    UChar* buffer = result.getBuffer(length);
    u_strFromUTF8(buffer, length, nullptr, text.data(), static_cast<int32_t>(text.size()), &status);
    result.releaseBuffer(U_SUCCESS(status) ? length : 0);
    if (U_FAILURE(status))
        return std::nullopt;
    return result;
}

}  // namespace

bool canonicallyEquivalent(std::string_view a, std::string_view b) {
    if (a == b)
        return true;
    if (a.size() > INT32_MAX || b.size() > INT32_MAX)
        return false;
    auto left = decoded(a);
    auto right = decoded(b);
    if (!left || !right)
        return false;
    UErrorCode status = U_ZERO_ERROR;
    const icu::Normalizer2* nfd = icu::Normalizer2::getNFDInstance(status);
    if (U_FAILURE(status))
        return false;
    icu::UnicodeString leftNormal = nfd->normalize(*left, status);
    icu::UnicodeString rightNormal = nfd->normalize(*right, status);
    return U_SUCCESS(status) && leftNormal == rightNormal;
}

}  // namespace pindrake::markdown
