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
  const int met[] = {ENOENT, EACCES, EPERM,  ENOTDIR, EISDIR, ELOOP, ENAMETOOLONG,
                     EIO,    ENOMEM, EMFILE, EFBIG,   EINVAL, ENXIO, EAGAIN,
                     ENOSPC, EDQUOT, EROFS,  EEXIST,  EXDEV,  EBUSY, kNotRegularFile};
  std::set<std::string> reasons;
  for (int err : met) {
    const Error error = errorFromErrno(err, "open", "/p");
    EXPECT_TRUE(error.description.starts_with("« /p » : ")) << err;
    EXPECT_EQ(error.description.find("erreur système"), std::string::npos) << err;
    reasons.insert(error.description);
  }
  EXPECT_EQ(reasons.size(), std::size(met));
  EXPECT_EQ(errorFromErrno(ENFILE, "open", "/p").description,
            errorFromErrno(EMFILE, "open", "/p").description);
  EXPECT_NE(errorFromErrno(ENFILE, "open", "/p").printed(),
            errorFromErrno(EMFILE, "open", "/p").printed());
  EXPECT_EQ(errorFromErrno(ECHILD, "open", "/p").description,
            "« /p » : erreur système " + std::to_string(ECHILD));
}

}  // namespace
}  // namespace tessvik
