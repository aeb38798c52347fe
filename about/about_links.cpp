#include "about/about_links.h"

namespace quillon {

namespace {

// Link control ids of the About window.
constexpr int kSiteLinkId = 1012;
constexpr int kEmailLinkId = 1013;
constexpr int kBugsLinkId = 1014;
constexpr int kForumLinkId = 1015;

}  // namespace

std::optional<std::string> LinkTarget(int controlId) {
  const std::string site(kWebSiteAddress);
  switch (controlId) {
    case kSiteLinkId:
      return site;
    case kEmailLinkId:
      // Two slashes: the shell hands the whole text to the mail handler as it stands.
      return "mailto://" + std::string(kSupportEmailAddress);
    case kBugsLinkId:
      return site + "/bugs";
    case kForumLinkId:
      return site + "/koda";
    default:
      return std::nullopt;
  }
}

}  // namespace quillon
