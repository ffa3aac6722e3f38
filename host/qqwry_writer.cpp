#include "host/qqwry_writer.h"

#include <fstream>
#include <map>
#include <random>
#include <stdexcept>
#include <tuple>
#include <utility>

namespace qx::host {
namespace {

constexpr std::uint8_t kRedirectToBlock = 1;
constexpr std::uint8_t kRedirectToString = 2;
constexpr std::uint32_t kMaxOffset = 0xFFFFFF;

class ImageWriter {
  public:
    std::uint32_t Here() const {
        if (bytes_.size() > kMaxOffset) throw std::length_error("database larger than 16 MiB");
        return static_cast<std::uint32_t>(bytes_.size());
    }

    void Byte(std::uint8_t value) { bytes_.push_back(value); }
    void U24(std::uint32_t value) {
        for (int shift = 0; shift < 24; shift += 8) Byte(static_cast<std::uint8_t>(value >> shift));
    }
    void U32(std::uint32_t value) {
        for (int shift = 0; shift < 32; shift += 8) Byte(static_cast<std::uint8_t>(value >> shift));
    }
    void String(const std::string& text) {
        bytes_.insert(bytes_.end(), text.begin(), text.end());
        Byte(0);
    }
    void PatchU32(std::size_t at, std::uint32_t value) {
        for (int i = 0; i < 4; ++i) bytes_[at + i] = static_cast<std::uint8_t>(value >> (8 * i));
    }

    // A string written once and shared by every redirection to it.
    std::uint32_t Pooled(const std::string& text) {
        const auto [it, added] = strings_.try_emplace(text, 0);
        if (added) {
            it->second = Here();
            String(text);
        }
        return it->second;
    }

    // One part of a location: the string inline or a redirection to it.
    void Part(const std::string& text, bool redirected) {
        if (redirected) {
            const std::uint32_t target = Pooled(text);
            Byte(kRedirectToString);
            U24(target);
        } else {
            String(text);
        }
    }

    std::vector<std::uint8_t> Take() { return std::move(bytes_); }

  private:
    std::vector<std::uint8_t> bytes_;
    std::map<std::string, std::uint32_t> strings_;
};

struct Layout {
    bool viaBlock;
    bool countryRedirected;
    bool areaRedirected;
};

Layout LayoutOf(int shape) {
    if (shape < 1 || shape > 8) throw std::invalid_argument("record shape outside 1-8");
    const int within = (shape - 1) % 4;
    return {shape >= 5, within >= 2, within % 2 == 1};
}

}  // namespace

QqwryImage BuildQqwryDatabase(const std::vector<QqwryRecord>& records) {
    ImageWriter out;
    out.U32(0);
    out.U32(0);

    // Strings that redirections share, and the blocks of the block-redirected
    // shapes, go before the data records, as in the files this format is used for.
    std::map<std::tuple<std::string, std::string, int>, std::uint32_t> blocks;
    for (const QqwryRecord& record : records) {
        const Layout layout = LayoutOf(record.shape);
        if (layout.countryRedirected) out.Pooled(record.country);
        if (layout.areaRedirected) out.Pooled(record.area);
    }
    for (const QqwryRecord& record : records) {
        const Layout layout = LayoutOf(record.shape);
        if (!layout.viaBlock) continue;
        const auto [it, added] = blocks.try_emplace({record.country, record.area, record.shape}, 0);
        if (!added) continue;
        it->second = out.Here();
        out.Part(record.country, layout.countryRedirected);
        out.Part(record.area, layout.areaRedirected);
    }

    QqwryImage image;
    for (const QqwryRecord& record : records) {
        const Layout layout = LayoutOf(record.shape);
        image.dataOffsets.push_back(out.Here());
        out.U32(record.endIp);
        if (layout.viaBlock) {
            out.Byte(kRedirectToBlock);
            out.U24(blocks.at({record.country, record.area, record.shape}));
        } else {
            out.Part(record.country, layout.countryRedirected);
            out.Part(record.area, layout.areaRedirected);
        }
    }

    image.firstIndex = out.Here();
    for (std::size_t i = 0; i < records.size(); ++i) {
        out.U32(records[i].startIp);
        out.U24(image.dataOffsets[i]);
    }
    image.lastIndex = records.empty()
                          ? image.firstIndex - 7
                          : image.firstIndex + 7 * static_cast<std::uint32_t>(records.size() - 1);
    out.PatchU32(0, image.firstIndex);
    out.PatchU32(4, image.lastIndex);
    image.bytes = out.Take();
    return image;
}

std::vector<QqwryRecord> SampleQqwryRecords(std::size_t count, std::uint32_t seed) {
    // Province and city names (GBK): 北京市, 上海市, 广东省, 浙江省杭州市, 四川省成都市
    static const std::vector<std::string> kPlaces = {
        "\xB1\xB1\xBE\xA9\xCA\xD0",
        "\xC9\xCF\xBA\xA3\xCA\xD0",
        "\xB9\xE3\xB6\xAB\xCA\xA1",
        "\xD5\xE3\xBD\xAD\xCA\xA1\xBA\xBC\xD6\xDD\xCA\xD0",
        "\xCB\xC4\xB4\xA8\xCA\xA1\xB3\xC9\xB6\xBC\xCA\xD0",
    };
    // Network operators (GBK): 电信, 联通, 移动
    static const std::vector<std::string> kOperators = {"\xB5\xE7\xD0\xC5", "\xC1\xAA\xCD\xA8",
                                                        "\xD2\xC6\xB6\xAF"};
    std::vector<QqwryRecord> records;
    if (count == 0) return records;
    records.reserve(count);
    std::mt19937 random(seed);
    const std::uint64_t span = (std::uint64_t{1} << 32) / count;
    for (std::size_t i = 0; i < count; ++i) {
        const std::uint64_t start = i * span;
        const std::uint64_t end = i + 1 == count ? 0xFFFFFFFFu : start + span - 1;
        std::string place = kPlaces[random() % kPlaces.size()];
        // Distinct names for some records, as a real database holds thousands.
        if (random() % 4 == 0) place += std::to_string(random() % 1000);
        records.push_back({static_cast<std::uint32_t>(start), static_cast<std::uint32_t>(end),
                           std::move(place), kOperators[random() % kOperators.size()],
                           static_cast<int>(i % 8) + 1});
    }
    return records;
}

std::vector<QqwryRecord> DemoQqwryRecords() {
    // 本机地址 (loopback), 局域网 (local network), 保留地址 (reserved),
    // IANA 保留地址, 北京市, 广东省深圳市 with 电信 / 联通 as operators.
    const std::string loopback = "\xB1\xBE\xBB\xFA\xB5\xD8\xD6\xB7";
    const std::string lan = "\xBE\xD6\xD3\xF2\xCD\xF8";
    const std::string reserved = "\xB1\xA3\xC1\xF4\xB5\xD8\xD6\xB7";
    const std::string beijing = "\xB1\xB1\xBE\xA9\xCA\xD0";
    const std::string shenzhen = "\xB9\xE3\xB6\xAB\xCA\xA1\xC9\xEE\xDB\xDA\xCA\xD0";
    const std::string telecom = "\xB5\xE7\xD0\xC5";
    const std::string unicom = "\xC1\xAA\xCD\xA8";
    return {
        {0x00000000, 0x00FFFFFF, "IANA " + reserved, "", 1},
        {0x01000000, 0x09FFFFFF, "IANA", "CZ88.NET", 3},
        {0x0A000000, 0x0AFFFFFF, lan, lan, 6},
        {0x0B000000, 0x3AFFFFFF, "IANA", "CZ88.NET", 3},
        {0x3B000000, 0x3BFFFFFF, beijing, telecom, 7},
        {0x3C000000, 0x71FFFFFF, "IANA", "CZ88.NET", 3},
        {0x72000000, 0x72FFFFFF, shenzhen, telecom, 8},
        {0x73000000, 0x7EFFFFFF, "IANA", "CZ88.NET", 3},
        {0x7F000000, 0x7FFFFFFF, loopback, "", 2},
        {0x80000000, 0xAC0FFFFF, "IANA", "CZ88.NET", 3},
        {0xAC100000, 0xAC1FFFFF, lan, lan, 6},
        {0xAC200000, 0xC0A7FFFF, "IANA", "CZ88.NET", 3},
        {0xC0A80000, 0xC0A8FFFF, lan, lan, 6},
        {0xC0A90000, 0xDAFFFFFF, "IANA", "CZ88.NET", 3},
        {0xDB000000, 0xDBFFFFFF, beijing, unicom, 5},
        {0xDC000000, 0xFFFFFEFF, "IANA", "CZ88.NET", 4},
        {0xFFFFFF00, 0xFFFFFFFF, reserved, "", 1},
    };
}

void WriteQqwryFile(const std::filesystem::path& path, const QqwryImage& image) {
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file.write(reinterpret_cast<const char*>(image.bytes.data()),
               static_cast<std::streamsize>(image.bytes.size()));
    if (!file.flush()) throw std::runtime_error("cannot write " + path.string());
}

}  // namespace qx::host
