#include "file_manager/folder_links.h"

#include <condition_variable>
#include <cstdlib>
#include <deque>
#include <mutex>
#include <system_error>
#include <thread>

namespace tessvik {

// What the main loop and the worker share: the worker holds it too, so that
// it outlives a FolderLinks destroyed while realpath hangs.
struct FolderLinks::Queue {
  explicit Queue(RealPath path) : realPath(std::move(path)) {}
  const RealPath realPath;
  std::mutex mutex;
  std::condition_variable wake;
  // Under `mutex`:
  std::deque<Answer> asked;  // no `real` yet
  std::vector<Answer> answered;
  bool closed = false;  // the FolderLinks is gone: the worker ends
};

FolderLinks::FolderLinks(RealPath realPath, Resolution resolution)
    : queue_(std::make_shared<Queue>(std::move(realPath))), resolution_(resolution) {}

FolderLinks::~FolderLinks() {
  {
    std::lock_guard lock(queue_->mutex);
    queue_->closed = true;
  }
  queue_->wake.notify_one();
}

void FolderLinks::work(std::shared_ptr<Queue> queue) {
  std::unique_lock lock(queue->mutex);
  while (true) {
    queue->wake.wait(lock, [&] { return queue->closed || !queue->asked.empty(); });
    if (queue->closed) return;
    Answer answer = std::move(queue->asked.front());
    queue->asked.pop_front();
    lock.unlock();
    answer.real = queue->realPath(answer.folder);  // may block for good
    lock.lock();
    queue->answered.push_back(std::move(answer));
  }
}

std::string_view FolderLinks::resolve(std::string_view path, std::string& scratch) {
  const std::size_t slash = path.rfind('/');
  if (slash == std::string_view::npos || slash == 0) return path;
  const std::optional<std::string_view> real = realFolder(path.substr(0, slash));
  if (!real) return path;
  scratch = *real;
  scratch += path.substr(slash);
  return scratch;
}

std::optional<std::string_view> FolderLinks::realFolder(std::string_view folder) {
  auto it = folders_.find(folder);
  if (it == folders_.end()) {
    ask(std::string(folder));
    return std::nullopt;
  }
  if (!it->second) return std::nullopt;
  return *it->second;
}

void FolderLinks::ask(std::string folder) {
  // Answered as no link until the worker says otherwise.
  if (folders_.size() >= kMaxFolders) folders_.clear();
  folders_.emplace(folder, std::nullopt);
  Answer asked{std::move(folder), generation_, std::nullopt};
  ++asked_;
  if (resolution_ == Resolution::kAtOnce) {
    asked.real = queue_->realPath(asked.folder);
    std::lock_guard lock(queue_->mutex);
    queue_->answered.push_back(std::move(asked));
    return;
  }
  {
    std::lock_guard lock(queue_->mutex);
    queue_->asked.push_back(std::move(asked));
  }
  queue_->wake.notify_one();
  if (workerStarted_) return;
  try {
    std::thread(&FolderLinks::work, queue_).detach();
    workerStarted_ = true;
  } catch (const std::system_error&) {
    // No thread to be had: the folder stays a folder; the next one seen
    // tries again.
    std::lock_guard lock(queue_->mutex);
    queue_->asked.pop_back();
    --asked_;
  }
}

std::vector<std::string> FolderLinks::takeLinked() {
  std::vector<std::string> linked;
  if (asked_ == 0) return linked;
  std::vector<Answer> answers;
  {
    std::lock_guard lock(queue_->mutex);
    answers.swap(queue_->answered);
  }
  asked_ -= answers.size();
  for (Answer& answer : answers) {
    if (answer.generation != generation_) {
      // Asked before forget(): it may be stale, but its items may still be
      // shown, waiting for it. Asked again, unless that was done meanwhile.
      if (!folders_.contains(answer.folder)) ask(std::move(answer.folder));
      continue;
    }
    if (!answer.real || *answer.real == answer.folder) continue;
    // A folder cleared from a full cache meanwhile comes back: its items may
    // still be shown.
    if (folders_.size() >= kMaxFolders && !folders_.contains(answer.folder)) folders_.clear();
    folders_.insert_or_assign(answer.folder, std::move(answer.real));
    linked.push_back(std::move(answer.folder));
  }
  return linked;
}

std::optional<std::string> FolderLinks::posixRealPath(const std::string& folder) {
  char* real = ::realpath(folder.c_str(), nullptr);
  if (real == nullptr) return std::nullopt;
  std::string out(real);
  std::free(real);
  return out;
}

}  // namespace tessvik
