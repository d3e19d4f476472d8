// Start-up, badge registration and the polling timer.
#include "extension/finder_sync.h"

#include "extension/badge_catalogue.h"
#include "extension/messages.h"
#include "host/finder_sync_controller.h"
#include "host/logger.h"
#include "host/run_loop.h"
#include "host/symbol_image.h"

namespace tessvik {

FinderSync::FinderSync(const Host& host, FileUrl stateFolder)
    : host_(host),
      stateFolder_(std::move(stateFolder)),
      state_(host.fileSystem, host.logger, host.controller),
      self_(std::make_shared<Self>(Self{this})) {
  if (host_.logger.isEnabled(LogLevel::kDefault)) {
    host_.logger.log(LogLevel::kDefault, messages::kStarted, {stateFolder_.path()});
  }
  for (const BadgeDefinition& badge : kBadgeCatalogue) {
    registerBadge(badge.identifier, badge.symbolName, badge.accent, badge.label);
  }
  reload();
  // The run loop owns the timer; the callback reaches the object only through
  // a weak reference, so a released extension leaves a timer that does nothing.
  std::weak_ptr<Self> weak = self_;
  host_.runLoop.addRepeatingTimer(kPollInterval, [weak] {
    if (std::shared_ptr<Self> self = weak.lock()) self->object->reload();
  });
}

void FinderSync::registerBadge(std::string_view identifier, std::string_view symbolName,
                               NamedColor accent, std::string_view label) {
  const SymbolConfiguration configuration =
      SymbolConfiguration::withPointSize(kBadgePointSize, FontWeight::kBold)
          .applying(SymbolConfiguration::withPalette({NamedColor::kWhite, accent}));
  std::optional<SymbolImage> symbol =
      host_.images.systemSymbol(std::string(symbolName), std::string(label));
  std::optional<SymbolImage> image;
  if (symbol) image = host_.images.withConfiguration(*symbol, configuration);
  if (!image) {
    host_.logger.log(LogLevel::kError, messages::kMissingBadgeImage, {symbolName});
    return;
  }
  host_.controller.setBadgeImage(*image, label, identifier);
}

void FinderSync::requestBadgeIdentifier(const FileUrl& url) {
  if (std::optional<std::string_view> identifier = badgeIdentifierFor(url)) {
    host_.controller.setBadgeIdentifier(*identifier, url);
  }
}

}  // namespace tessvik
