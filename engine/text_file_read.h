// Reads a text file of unknown encoding into one UTF-16 text: the byte-order
// mark decides between UTF-16 (either byte order), UTF-8 and the ANSI code
// page, and every line terminator (CR LF, LF or CR) becomes a given separator.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "os/codepage.h"
#include "os/file.h"

namespace qx {

enum TextEncoding : int {
    EncodingAnsi = 0,
    EncodingUtf16BigEndian = 1,
    EncodingUtf16LittleEndian = 2,
    EncodingUtf8 = 3,
};

// Thrown when a read fails after the file was opened; carries the system
// error code. The file is closed by then.
class CTextFileException {
  public:
    explicit CTextFileException(std::uint32_t error) : error_(error) {}
    std::uint32_t Error() const { return error_; }

  private:
    std::uint32_t error_;
};

// Owns the file handle.
class CTextFileBase {
  public:
    CTextFileBase() = default;
    CTextFileBase(const CTextFileBase&) = delete;
    CTextFileBase& operator=(const CTextFileBase&) = delete;
    virtual ~CTextFileBase() { CTextFileBase::Close(); }

    virtual void Close() { file_.Close(); }
    bool IsOpen() const { return file_.IsOpen(); }

  protected:
    os::File file_;
};

class CTextFileRead : public CTextFileBase {
  public:
    // Opens the file for shared reading; a file that cannot be opened leaves
    // the reader closed (no exception) and at end of file.
    explicit CTextFileRead(std::u16string_view path);

    TextEncoding Encoding() const { return encoding_; }

    // Reads the rest of the file, lines joined by `separator`. False, with
    // `text` untouched, when no file is open.
    bool ReadText(std::u16string& text, std::u16string_view separator);

    // Texts longer than this (in UTF-16 units) fail like an allocation
    // failure instead of taking the machine's memory.
    static constexpr std::size_t kMaxTextUnits = std::size_t{1} << 29;

  private:
    // Appends one line (without its terminator) to `out`; false when the end
    // had already been reached.
    bool AppendLine(std::u16string& out);
    // Takes the next decoded unit; false at the end of the file.
    bool NextUnit(char16_t& unit);
    // Decodes the next block of the file into units_; false when nothing is left.
    bool FillUnits();
    std::size_t DecodeUtf16(const std::uint8_t* bytes, std::size_t size);
    std::size_t DecodeUtf8(const std::uint8_t* bytes, std::size_t size, bool at_end);
    void ReadBlock();
    void DetectEncoding();

    TextEncoding encoding_ = EncodingAnsi;
    bool end_of_file_ = true;   // a read found no further unit
    bool file_drained_ = true;  // the file has no further byte
    bool first_line_ = true;    // no line has been read yet; else units_ starts
                                // with the terminator of the previous line
    std::string raw_;           // bytes read but not yet decoded
    std::u16string units_;      // decoded units not yet handed out
    std::size_t next_unit_ = 0;
    std::unique_ptr<os::AnsiStreamDecoder> ansi_;
};

}  // namespace qx
