#include "extension/extension_test_support.h"

namespace tessvik::testing {

void ExtensionTest::start() {
  realHome_ = std::make_unique<RealHome>(users_);
  Host host{{files_, runLoop_, logger_, users_, workspace_, memory_}, controller_, images_};
  extension_ = std::make_unique<FinderSync>(host, finderStateFolder(realHome_->path()));
}

}  // namespace tessvik::testing
