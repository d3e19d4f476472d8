// Refreshing items in the file manager, batched on the main loop: the
// extension may change thousands of badges in one reload, and the file
// manager should ask again only once that reload is over.
#pragma once

#include <glib.h>

#include <functional>
#include <set>
#include <string>

#include "file_manager/item_refresher.h"

namespace tessvik {

// Collects the paths to refresh and, from an idle callback on `context` (the
// thread-default main context when null), hands each once, as a file URI, to
// `invalidate` (the file manager's lookup-and-invalidate, which ignores items
// it does not hold). Paths that are not absolute are dropped. Main loop only;
// destroying it drops what is pending.
class IdleRefresher final : public ItemRefresher {
 public:
  using Invalidate = std::function<void(const char* uri)>;
  explicit IdleRefresher(Invalidate invalidate, GMainContext* context = nullptr);
  ~IdleRefresher() override;
  IdleRefresher(const IdleRefresher&) = delete;
  IdleRefresher& operator=(const IdleRefresher&) = delete;

  void refresh(const std::string& path) override;

  // Refreshes everything pending now, as the idle callback does.
  void flush();

 private:
  static gboolean onIdle(gpointer data);

  Invalidate invalidate_;
  GMainContext* context_;
  std::set<std::string> pending_;
  GSource* source_ = nullptr;
};

}  // namespace tessvik
