#include "about/about_links.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

namespace quillon {
namespace {

struct LinkCase {
  const char* name;
  int controlId;
  std::optional<std::string> target;
};

TEST(AboutLinks, EachLinkIdOpensItsTargetAndOtherIdsOpenNothing) {
  const LinkCase cases[] = {
      {"web site", 1012, "http://quillon.example"},
      {"mail keeps the two-slash scheme", 1013, "mailto://help@quillon.example"},
      {"bug report page", 1014, "http://quillon.example/bugs"},
      {"support forum", 1015, "http://quillon.example/koda"},
      {"heading and other statics", 0, std::nullopt},
      {"one below the first link", 1011, std::nullopt},
      {"one past the last link", 1016, std::nullopt},
      {"IDCANCEL", 2, std::nullopt},
      {"negative id", -1, std::nullopt},
  };
  for (const LinkCase& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(c.target, LinkTarget(c.controlId));
  }
}

TEST(AboutLinks, PagesAppendTheirPathToTheSiteWithNoOtherSeparator) {
  const std::string site(kWebSiteAddress);
  ASSERT_FALSE(site.empty());
  EXPECT_NE('/', site.back());
  for (const int id : {1014, 1015}) {
    SCOPED_TRACE(id);
    const std::optional<std::string> target = LinkTarget(id);
    ASSERT_TRUE(target.has_value());
    EXPECT_EQ(site.size() + 5, target->size());
    EXPECT_EQ(0u, target->rfind(site, 0));
    EXPECT_EQ(std::string::npos, target->find("//", site.size()));
  }
}

TEST(AboutLinks, MailTargetHoldsTheBareAddressTheLabelShows) {
  const std::string address(kSupportEmailAddress);
  EXPECT_NE(std::string::npos, address.find('@'));
  EXPECT_EQ(std::string::npos, address.find(':'));
  EXPECT_EQ("mailto://" + address, LinkTarget(1013).value_or(""));
}

}  // namespace
}  // namespace quillon
