#include "hosts/macos/mac_extension.h"

#include "hosts/macos/mac_conversions.h"

namespace tessvik::macos {

MacExtension::MacExtension()
    : extension_(
          Host{{fileSystem_, runLoop_, logger_, users_, workspace_, memory_}, controller_, images_},
          finderStateFolder(realHome_.path())),
      fixedAnswers_(FixedAnswers::capture(extension_)) {}

void MacExtension::requestBadgeIdentifier(NSURL* url) {
  std::optional<FileUrl> item = toFileUrl(url);
  if (!item) return;
  controller_.itemAsked(*item);
  if (std::optional<std::string_view> identifier = extension_.badgeIdentifierFor(*item)) {
    controller_.answerBadgeRequest(*identifier, url);
  }
}

void MacExtension::share(NSArray<NSURL*>* _Nullable selected) {
  controller_.holdSelection(selected);
  extension_.share();
  controller_.holdSelection(nil);
}

std::optional<Menu> MacExtension::menu(long kind) {
  const int asInt = static_cast<int>(kind);
  if (asInt != kind) return std::nullopt;
  return extension_.menu(asInt);
}

}  // namespace tessvik::macos
