// The one errno mapping: every failure a listing, a read or a write can meet
// reads as its own French reason, and the printed form keeps apart what the
// French merges.
#include "base/error.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <set>

namespace tessvik {
namespace {

TEST(Error, EachErrnoAFileOperationMeetsReadsAsItsOwnFrenchReason) {
  const auto reason = [](int err) { return errorFromErrno(err, "open", "/p").description; };
  std::set<std::string> reasons;
  for (int err : {ENOENT, EACCES, EPERM,  ENOTDIR, EISDIR, ELOOP, ENAMETOOLONG,
                  EIO,    ENOMEM, EMFILE, EFBIG,   EINVAL, ENXIO, EAGAIN,
                  ENOSPC, EDQUOT, EROFS,  EEXIST,  EXDEV,  EBUSY, kNotRegularFile}) {
    EXPECT_TRUE(reason(err).starts_with("« /p » : ")) << err;
    EXPECT_EQ(reason(err).find("erreur système"), std::string::npos) << err;
    EXPECT_TRUE(reasons.insert(reason(err)).second) << err;
  }
  EXPECT_EQ(reason(ENFILE), reason(EMFILE));
  EXPECT_NE(errorFromErrno(ENFILE, "open", "/p").printed(),
            errorFromErrno(EMFILE, "open", "/p").printed());
  EXPECT_EQ(reason(ECHILD), "« /p » : erreur système " + std::to_string(ECHILD));
}

}  // namespace
}  // namespace tessvik
