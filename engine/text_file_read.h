// Reads a text file of unknown encoding into one UTF-16 text: the byte-order
// mark decides between UTF-16 (either byte order), UTF-8 and unmarked text in
// a code set (the ANSI code page unless the caller names another), and every
// line terminator (CR LF, LF or CR) becomes a given separator.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "os/codepage.h"
#include "os/file.h"
#include "scratch_buffer.h"

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
    virtual bool IsOpen() const { return file_.IsOpen(); }
    const os::File& File() const { return file_; }

  protected:
    os::File file_;
};

// Lowers the letters A to Z, and nothing else, whatever the locale.
void LowerAsciiLetters(char16_t* units, std::size_t count);

// A reader's scratch space. A caller that reads file after file keeps one,
// so that no file pays for allocating (and clearing) its own.
struct ReadBuffers {
    ScratchBuffer<char> raw;      // bytes read but not yet decoded
    std::vector<char16_t> units;  // one block's decoded units, when not UTF-8
};

// A text as read, in storage kept from file to file.
using TextBuffer = ScratchBuffer<char16_t>;

class CTextFileRead : public CTextFileBase {
  public:
    // Opens the file for shared reading; a file that cannot be opened leaves
    // the reader closed (no exception) and at end of file. Unmarked text is
    // read in the ANSI code page.
    explicit CTextFileRead(std::u16string_view path);
    // Reads a file already open; unmarked text goes through `unmarked`.
    // Both, and `buffers`, must outlive the reader.
    CTextFileRead(os::File file, os::TextDecoder& unmarked, ReadBuffers& buffers);
    // Reads a file's bytes already in memory, which must outlive the reader.
    CTextFileRead(std::string_view bytes, os::TextDecoder& unmarked, ReadBuffers& buffers);

    TextEncoding Encoding() const { return encoding_; }
    bool IsOpen() const override { return in_memory_ || CTextFileBase::IsOpen(); }

    // Reads the rest of the file, lines joined by `separator`, up to
    // kMaxTextUnits units in all (separators counted). False, with `text`
    // untouched, when no file is open.
    bool ReadText(TextBuffer& text, std::u16string_view separator);
    // Reads the file once more as unmarked text, from just after a UTF-16
    // mark: the other way to read a file that starts with one, which is then
    // read as the same bytes without the mark would be.
    bool ReadAgainUnmarked(TextBuffer& text, std::u16string_view separator);
    // Whether the last read stopped at kMaxTextUnits with bytes left over.
    bool Truncated() const { return truncated_; }
    // Lowers the letters A to Z as the text is read, as the rule sets read it.
    void FoldAsciiLetters(bool fold) { fold_ = fold; }

    // A text holds at most this many UTF-16 units; a longer file is read in
    // part. This bounds a rating's memory: 128 MiB of text.
    static constexpr std::size_t kMaxTextUnits = std::size_t{1} << 26;

  private:
    void Start(std::uint64_t offset);
    void DetectEncoding();
    void ReadBlock();
    // Decodes raw bytes in the file's encoding; as os::TextDecoder::Decode.
    std::size_t Decode(const std::uint8_t* bytes, std::size_t size, char16_t* out,
                       std::size_t& produced);
    // Writes decoded units to `out` with every line break as the separator
    // (and the letters lowered when asked); returns the units written.
    std::size_t JoinLines(const char16_t* units, std::size_t count, std::u16string_view separator,
                          char16_t* out);
    // The same from UTF-8 bytes in one step; returns the bytes consumed.
    std::size_t DecodeUtf8Lines(const std::uint8_t* bytes, std::size_t size,
                                os::TextDecoder& decoder, std::u16string_view separator,
                                char16_t* out, std::size_t& produced);

    TextEncoding encoding_ = EncodingAnsi;
    bool end_of_file_ = true;   // a read found no further unit
    bool file_drained_ = true;  // the file has no further byte
    bool truncated_ = false;
    bool fold_ = false;
    bool after_cr_ = false;     // the last unit was a CR: an LF now belongs to it
    std::uint64_t offset_ = 0;  // of the next byte to read
    std::string_view memory_;   // the bytes, when they are in memory
    bool in_memory_ = false;
    std::unique_ptr<ReadBuffers> own_buffers_;
    ReadBuffers* buffers_ = nullptr;
    os::Utf8Decoder marked_utf8_{3};  // a UTF-8 mark: up to three bytes a unit
    std::unique_ptr<os::TextDecoder> own_unmarked_;
    os::TextDecoder* unmarked_ = nullptr;
};

}  // namespace qx
