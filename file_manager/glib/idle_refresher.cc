#include "file_manager/glib/idle_refresher.h"

#include <utility>

namespace tessvik {

IdleRefresher::IdleRefresher(Invalidate invalidate, GMainContext* context)
    : invalidate_(std::move(invalidate)),
      context_(context != nullptr ? g_main_context_ref(context)
                                  : g_main_context_ref_thread_default()) {}

IdleRefresher::~IdleRefresher() {
  if (source_ != nullptr) {
    g_source_destroy(source_);
    g_source_unref(source_);
  }
  g_main_context_unref(context_);
}

void IdleRefresher::refresh(const std::string& path) {
  pending_.insert(path);
  if (source_ != nullptr) return;
  source_ = g_idle_source_new();
  g_source_set_callback(source_, &IdleRefresher::onIdle, this, nullptr);
  g_source_attach(source_, context_);
}

gboolean IdleRefresher::onIdle(gpointer data) {
  static_cast<IdleRefresher*>(data)->flush();
  return G_SOURCE_REMOVE;
}

void IdleRefresher::flush() {
  if (source_ != nullptr) {
    g_source_destroy(source_);
    g_source_unref(source_);
    source_ = nullptr;
  }
  // The file manager may ask again at once, and the answer may queue more.
  std::set<std::string> paths = std::exchange(pending_, {});
  for (const std::string& path : paths) {
    gchar* uri = g_filename_to_uri(path.c_str(), nullptr, nullptr);
    if (uri == nullptr) continue;
    if (invalidate_) invalidate_(uri);
    g_free(uri);
  }
}

}  // namespace tessvik
