#include "file_rating.h"

#include <new>

#include "fingerprint.h"
#include "rules/signature_table.h"
#include "text_file_read.h"

namespace qx {
namespace {

constexpr std::u16string_view kLineSeparator = u"\r\n";

// The higher verdict wins; the first reading keeps a tie.
void TakeHigher(FileRating& into, const CascadeRating& reading) {
    into.search_stopped = into.search_stopped || reading.search_stopped;
    if (reading.rating.verdict > into.rating.verdict) into.rating = reading.rating;
}

}  // namespace

FileRater::FileRater(std::string_view code_set, std::uint64_t max_file_size)
    : unmarked_(code_set.empty() ? os::MakeAnsiDecoder() : os::MakeDecoder(code_set)),
      max_file_size_(max_file_size) {
    if (!unmarked_) unmarked_ = os::MakeAnsiDecoder();
}

FileRating FileRater::Rate(Family family, const os::Directory& directory,
                           std::u16string_view name) {
    os::File file;
    if (!file.Open(directory, name, os::File::Mode::kSharedRead)) {
        FileRating failed;
        failed.unreadable = true;
        failed.error = file.LastError();
        return failed;
    }
    return RateOpen(family, std::move(file));
}

FileRating FileRater::Rate(Family family, std::u16string_view path) {
    os::File file;
    if (!file.Open(path, os::File::Mode::kSharedRead)) {
        FileRating failed;
        failed.unreadable = true;
        failed.error = file.LastError();
        return failed;
    }
    return RateOpen(family, std::move(file));
}

FileRating FileRater::RateOpen(Family family, os::File file) {
    FileRating result;
    if (max_file_size_ > 0 && file.Size() > static_cast<std::int64_t>(max_file_size_)) {
        result.too_large = true;
        return result;
    }
    const Cascade cascade = CascadeOf(family);
    try {
        CTextFileRead reader(std::move(file), *unmarked_);
        reader.ReadText(text_, kLineSeparator);
        result.rated_in_part = reader.Truncated();
        TakeHigher(result, RunCascade(cascade, text_));
        const TextEncoding encoding = reader.Encoding();
        if (encoding == EncodingUtf16LittleEndian || encoding == EncodingUtf16BigEndian) {
            // A mark in front of plain text does not stop a server from
            // running it: the bytes are rated as unmarked text too.
            reader.ReadAgainUnmarked(text_, kLineSeparator);
            result.rated_in_part = result.rated_in_part || reader.Truncated();
            TakeHigher(result, RunCascade(cascade, text_));
        }
        // Levels 1 and 2 are opinions about constructs; a file known to be
        // good overrules them, though the reason stays.
        if (result.rating.verdict == VerdictSuspicious ||
            result.rating.verdict == VerdictDangerous) {
            // The fingerprint is taken through the same handle, not a second open.
            if (IsKnownGoodFingerprint(FileFingerprint(reader.File()))) {
                result.rating.verdict = VerdictNone;
            }
        }
    } catch (const CTextFileException& e) {
        result = {};
        result.unreadable = true;
        result.error = e.Error();
    } catch (const std::bad_alloc&) {
        result = {};
        result.out_of_memory = true;
    }
    text_.clear();
    if (text_.capacity() > CTextFileRead::kMaxTextUnits / 4) text_.shrink_to_fit();
    return result;
}

Cascade CascadeOf(Family family) {
    switch (family) {
        case Family::kAsp:
            return AspCascade;
        case Family::kAspx:
            return AspxCascade;
        case Family::kPhp:
            return PhpCascade;
        case Family::kJsp:
            return JspCascade;
    }
    return AspCascade;
}

Rating CheckAspFile(std::u16string_view path) {
    return FileRater().Rate(Family::kAsp, path).rating;
}
Rating CheckAspxFile(std::u16string_view path) {
    return FileRater().Rate(Family::kAspx, path).rating;
}
Rating CheckPhpFile(std::u16string_view path) {
    return FileRater().Rate(Family::kPhp, path).rating;
}
Rating CheckJspFile(std::u16string_view path) {
    return FileRater().Rate(Family::kJsp, path).rating;
}

}  // namespace qx
