#pragma once

#include <clocale>
#include <locale.h>

namespace orv::rar {

// Both libraries decode names with the calling thread's character set: libarchive gives no name at all
// for RAR 4 Unicode names in the C locale, and 7z.so reads the plain 8-bit names of RAR 4 as Latin-1
// there. Names are read in UTF-8 whatever the program's locale is, for as long as the scope lives.
class Utf8Scope
{
public:
    Utf8Scope()
    {
        static const locale_t utf8 = newlocale(LC_CTYPE_MASK, "C.UTF-8", static_cast<locale_t>(nullptr));
        if (utf8)
            m_previous = uselocale(utf8);
    }
    ~Utf8Scope()
    {
        if (m_previous)
            uselocale(m_previous);
    }
    Utf8Scope(const Utf8Scope &) = delete;
    Utf8Scope &operator=(const Utf8Scope &) = delete;

private:
    locale_t m_previous = nullptr;
};

}  // namespace orv::rar
