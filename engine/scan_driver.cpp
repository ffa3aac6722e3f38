#include "scan_driver.h"

#include <array>

#include "os/path.h"
#include "tree_walk.h"

namespace qx {
namespace {

struct Route {
    Family family;
    std::array<std::u16string_view, 6> extensions;  // empty views pad the shorter lists
};

// The lists are disjoint, so a file goes to one rule set at most.
constexpr Route kRoutes[] = {
    {Family::kAsp, {u".asp", u".asa", u".cer", u".inc", u".htr", u".cdx"}},
    {Family::kAspx, {u".aspx", u".ascx", u".asax", u".ashx"}},
    {Family::kPhp, {u".php", u".php3", u".php4", u".php5", u".phtml"}},
    {Family::kJsp, {u".jsp", u".jspx"}},
};

class ScanVisitor : public TreeVisitor {
  public:
    explicit ScanVisitor(ScanClient& client) : client_(client) {}

    bool StopRequested() const override { return client_.StopRequested(); }

    void OnDirectory(const std::u16string& directory) override { client_.OnDirectory(directory); }

    void OnFile(const std::u16string& path, bool, std::u16string_view name) override {
        client_.OnFile(path);
        const std::optional<Family> family = client_.Route(name);
        if (!family) return;
        const Rating rating = CheckFile(*family, path);
        if (rating.verdict > VerdictNone) client_.OnFinding(path, rating);
    }

  private:
    ScanClient& client_;
};

}  // namespace

std::optional<Family> FamilyOfName(std::u16string_view name) {
    const std::u16string_view extension = os::Extension(name);
    if (extension.empty()) return std::nullopt;
    for (const Route& route : kRoutes) {
        for (std::u16string_view candidate : route.extensions) {
            if (!candidate.empty() && os::EqualsIgnoringAsciiCase(extension, candidate)) {
                return route.family;
            }
        }
    }
    return std::nullopt;
}

int ScanTree(const std::u16string& root, ScanClient& client) {
    ScanVisitor visitor(client);
    return WalkTree(root, visitor);
}

}  // namespace qx
