#include "tools/PrintfText.h"

#include <clocale>
#include <cstdio>
#include <locale.h>
#include <string>

namespace {

// QApplication switches the process to the desktop's locale, where printf may
// write a decimal comma; these texts always use the point.
class CLocaleScope {
public:
    CLocaleScope() {
        static const locale_t cLocale = newlocale(LC_ALL_MASK, "C", locale_t{});
        if (cLocale != locale_t{})
            m_previous = uselocale(cLocale);
    }
    ~CLocaleScope() {
        if (m_previous != locale_t{})
            uselocale(m_previous);
    }
    CLocaleScope(const CLocaleScope&) = delete;
    CLocaleScope& operator=(const CLocaleScope&) = delete;

private:
    locale_t m_previous{};
};

} // namespace

namespace PrintfText {

QString Format(const char* format, double value) {
    const CLocaleScope cLocale;
    // "%.3f" of a huge value has hundreds of digits: size the buffer first.
    const int length = std::snprintf(nullptr, 0, format, value);
    if (length <= 0)
        return QString();
    std::string text(static_cast<size_t>(length) + 1, '\0');
    std::snprintf(text.data(), text.size(), format, value);
    text.resize(static_cast<size_t>(length));
    return QString::fromLatin1(text.data(), length);
}

QString FormatOrNa(const char* format, std::optional<double> value) {
    return value ? Format(format, *value) : QStringLiteral("n/a");
}

} // namespace PrintfText
