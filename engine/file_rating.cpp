#include "file_rating.h"

#include <algorithm>
#include <functional>
#include <new>

#include "fingerprint.h"
#include "rules/rule_index.h"
#include "rules/signature_table.h"
#include "text_file_read.h"

namespace qx {
namespace {

constexpr std::u16string_view kLineSeparator = u"\r\n";

// The higher verdict wins; the first reading keeps a tie.
void TakeHigher(FileRating& into, const CascadeRating& reading) {
    into.search_stopped = into.search_stopped || reading.search_stopped;
    if (reading.rating.verdict > into.finding.rating.verdict) into.finding.rating = reading.rating;
}

FileRating Unreadable(std::uint32_t error) {
    FileRating failed;
    failed.unreadable = true;
    failed.error = error;
    return failed;
}

FileRating OutOfMemory() {
    FileRating failed;
    failed.out_of_memory = true;
    return failed;
}

}  // namespace

FileRater::~FileRater() = default;

FileRater::FileRater(std::string_view code_set, std::uint64_t max_file_size,
                     std::unique_ptr<FileExaminer> examiner, bool reference_rules)
    : unmarked_(code_set.empty() ? os::MakeAnsiDecoder() : os::MakeDecoder(code_set)),
      max_file_size_(max_file_size),
      examiner_(std::move(examiner)),
      reference_rules_(reference_rules),
      buffers_(std::make_unique<ReadBuffers>()) {
    if (!unmarked_) unmarked_ = os::MakeAnsiDecoder();
}

FileRating FileRater::Rate(const FileRoute& route, const os::Directory& directory,
                           std::u16string_view name, const std::u16string& path) {
    try {
        os::File file;
        if (!file.Open(directory, name, os::File::Mode::kSharedRead)) {
            return Unreadable(file.LastError());
        }
        return RateOpen(route, std::move(file), path);
    } catch (const std::bad_alloc&) {
        return OutOfMemory();
    }
}

FileRating FileRater::Rate(const FileRoute& route, const std::u16string& path) {
    try {
        os::File file;
        if (!file.Open(path, os::File::Mode::kSharedRead)) return Unreadable(file.LastError());
        return RateOpen(route, std::move(file), path);
    } catch (const std::bad_alloc&) {
        return OutOfMemory();
    }
}

void FileRater::RateText(Family family, CTextFileRead& reader, FileRating& result) {
    const Cascade cascade = CascadeOf(family);
    const RuleIndex* index = reference_rules_ ? nullptr : &RuleIndexOf(family);
    reader.FoldAsciiLetters(true);
    reader.ReadText(text_, kLineSeparator);
    result.rated_in_part = reader.Truncated();
    TakeHigher(result, RunCascade(cascade, text_.View(), index));
    const TextEncoding encoding = reader.Encoding();
    if (encoding == EncodingUtf16LittleEndian || encoding == EncodingUtf16BigEndian) {
        // A mark in front of plain text does not stop a server from running
        // it: the bytes are rated as unmarked text too.
        reader.ReadAgainUnmarked(text_, kLineSeparator);
        result.rated_in_part = result.rated_in_part || reader.Truncated();
        TakeHigher(result, RunCascade(cascade, text_.View(), index));
    }
}

bool FileRater::KnownGood(const FileRating& result,
                          const std::function<std::uint64_t()>& fingerprint) {
    // Levels 1 and 2 are opinions about constructs; a file known to be good
    // overrules them, though the reason stays.
    const ScanVerdict verdict = result.finding.rating.verdict;
    return (verdict == VerdictSuspicious || verdict == VerdictDangerous) &&
           IsKnownGoodFingerprint(fingerprint());
}

FileRating FileRater::RateOpen(const FileRoute& route, os::File file, const std::u16string& path) {
    FileRating result;
    const std::int64_t size = file.SizeAtOpen();  // from the open, with no second call
    if (max_file_size_ > 0 && size > static_cast<std::int64_t>(max_file_size_)) {
        result.too_large = true;
        return result;
    }
    const bool examine = route.examine && examiner_ != nullptr;
    try {
        if (examine && size <= static_cast<std::int64_t>(kMaxExaminedBytes)) {
            // The examiner and the rules read the same bytes, read once.
            bytes_.resize(size > 0 ? static_cast<std::size_t>(size) : 0);
            const std::int64_t got = file.ReadAt(0, bytes_.data(), bytes_.size());
            if (got < 0) return Unreadable(file.LastError());
            bytes_.resize(static_cast<std::size_t>(got));
            RateLoaded(route, bytes_, path, result);
        } else {
            if (examine) result.finding.examination.problem = "too large to inspect";
            if (route.family) {
                CTextFileRead reader(std::move(file), *unmarked_, *buffers_);
                RateText(*route.family, reader, result);
                // Through the same handle, never a second open.
                if (KnownGood(result, [&] { return FileFingerprint(reader.File()); })) {
                    result.finding.rating.verdict = VerdictNone;
                }
            }
        }
    } catch (const CTextFileException& e) {
        result = Unreadable(e.Error());
    } catch (const std::bad_alloc&) {
        result = OutOfMemory();
    }
    return Finish(result);
}

FileRating FileRater::RateBytes(const FileRoute& route, std::string_view bytes,
                                const std::u16string& path) {
    FileRating result;
    try {
        RateLoaded(route, bytes, path, result);
    } catch (const std::bad_alloc&) {
        result = OutOfMemory();
    }
    return Finish(result);
}

void FileRater::RateLoaded(const FileRoute& route, std::string_view bytes,
                           const std::u16string& path, FileRating& result) {
    if (route.family) {
        CTextFileRead reader(bytes, *unmarked_, *buffers_);
        RateText(*route.family, reader, result);
        if (KnownGood(result,
                      [&] { return ~Crc64WeUpdate(kCrc64WeInit, bytes.data(), bytes.size()); })) {
            result.finding.rating.verdict = VerdictNone;
        }
    }
    if (route.examine && examiner_) result.finding.examination = examiner_->Examine(path, bytes);
}

FileRating FileRater::Finish(FileRating& result) {
    result.finding.verdict =
        std::max(result.finding.rating.verdict, result.finding.examination.verdict);
    text_.clear();
    if (text_.capacity() > CTextFileRead::kMaxTextUnits / 4) text_.Release();
    if (bytes_.capacity() > kMaxExaminedBytes / 4) {
        bytes_.clear();
        bytes_.shrink_to_fit();
    }
    return std::move(result);
}

Rating CheckAspFile(std::u16string_view path) {
    return FileRater().Rate({Family::kAsp}, std::u16string(path)).finding.rating;
}
Rating CheckAspxFile(std::u16string_view path) {
    return FileRater().Rate({Family::kAspx}, std::u16string(path)).finding.rating;
}
Rating CheckPhpFile(std::u16string_view path) {
    return FileRater().Rate({Family::kPhp}, std::u16string(path)).finding.rating;
}
Rating CheckJspFile(std::u16string_view path) {
    return FileRater().Rate({Family::kJsp}, std::u16string(path)).finding.rating;
}

}  // namespace qx
