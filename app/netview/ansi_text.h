// Multibyte text of the IP database to UTF-16. The database is GBK (code page
// 936) and is read in the ANSI code page; where that code page is UTF-8 (a
// POSIX UTF-8 or plain ASCII locale, or a Windows set to UTF-8), GBK is used
// instead, since GBK bytes read as UTF-8 would come out as garbage.
#pragma once

#include <string>
#include <string_view>

namespace qx::netview {

class AnsiDecoder {
  public:
    AnsiDecoder();
    AnsiDecoder(const AnsiDecoder&) = delete;
    AnsiDecoder& operator=(const AnsiDecoder&) = delete;
    ~AnsiDecoder();

    // Bytes that do not decode become U+FFFD.
    std::u16string Decode(std::string_view bytes);

  private:
#ifdef _WIN32
    unsigned codePage_;
#else
    void* converter_;
#endif
};

}  // namespace qx::netview
