#include "destination/ordered_saves.h"

#include <algorithm>
#include <utility>

namespace vodare {

namespace {
// Texts handed in before the reading thread, asleep while the saves are busy, is woken.
constexpr size_t kReadTogether = 4;
}  // namespace

OrderedSaves::OrderedSaves(CFixedInterface& fixed, size_t depth)
    : fixed_(fixed),
      depth_(std::max<size_t>(depth, 1)),
      reader_(dynamic_cast<ReadsVouchersAhead*>(&fixed)),
      reading_([this] { ReadLoop(); }),
      thread_([this] { Loop(); }) {}

OrderedSaves::~OrderedSaves() {
  try {
    Drain();
  } catch (...) {
    // An answer's own failure cannot leave a destructor; the saves themselves are done.
  }
  {
    std::lock_guard<std::mutex> lock(mutex_);
    stop_ = true;
  }
  read_work_.notify_all();
  save_work_.notify_all();
  reading_.join();
  thread_.join();
}

// Reads each record's text in order, as far ahead of the saves as the queue goes.
void OrderedSaves::ReadLoop() {
  for (;;) {
    std::shared_ptr<Job> job;
    {
      std::unique_lock<std::mutex> lock(mutex_);
      auto work = [&] { return stop_ || taken_ < jobs_.size(); };
      if (!work()) {
        reading_waits_ = true;
        read_work_.wait(lock, work);
        reading_waits_ = false;
      }
      if (taken_ >= jobs_.size()) return;  // stopping with nothing left
      job = jobs_[taken_++];
    }
    Read(*job);
    {
      std::lock_guard<std::mutex> lock(mutex_);
      job->ready = true;
    }
    save_work_.notify_one();
  }
}

void OrderedSaves::Read(Job& job) {
  try {
    if (reader_) job.read = reader_->ReadVoucherAhead(job.xml);
  } catch (...) {
    job.unread = std::current_exception();
  }
}

void OrderedSaves::Loop() {
  for (;;) {
    std::shared_ptr<Job> job;
    bool save = false;
    {
      std::unique_lock<std::mutex> lock(mutex_);
      // While the next text is not read, the saves read the first one no thread has taken
      // (the next itself when the reading thread has not come to it): they never sleep while a
      // voucher waits to be read, the reading thread being held up behind the others for a core.
      auto work = [&] {
        return (started_ < jobs_.size() && (jobs_[started_]->ready || taken_ < jobs_.size())) ||
               (stop_ && started_ >= jobs_.size());
      };
      if (!work()) {
        saving_waits_ = true;
        WakeReading();
        save_work_.wait(lock, work);
        saving_waits_ = false;
      }
      if (started_ >= jobs_.size()) return;  // stopping with nothing left
      save = jobs_[started_]->ready;
      job = save ? jobs_[started_++] : jobs_[taken_++];
    }
    if (!save) {
      Read(*job);
      std::lock_guard<std::mutex> lock(mutex_);
      job->ready = true;
      continue;
    }
    Answer answer;
    try {
      if (job->unread) std::rethrow_exception(job->unread);
      std::string message;
      int16_t type = job->type;
      if (job->read)
        answer.saved = reader_->SaveVchReadAhead(type, job->xml, *job->read, message);
      else
        answer.saved = fixed_.SaveVchFromXML(type, job->xml, message, false);
      answer.message = std::move(message);
    } catch (...) {
      answer.error = std::current_exception();
    }
    bool wake;
    {
      std::lock_guard<std::mutex> lock(mutex_);
      job->answer = std::move(answer);
      job->xml = std::string();  // the text is the company's now
      job->read.reset();
      job->done = true;
      // Answers come in order: this one is jobs_[started_ - 1].
      wake = wake_at_ != 0 && started_ >= wake_at_;
    }
    if (wake) answered_.notify_one();
  }
}

void OrderedSaves::Submit(int16_t type, std::string xml, Answered answered) {
  auto job = std::make_shared<Job>();
  job->type = type;
  job->xml = std::move(xml);
  job->answered = std::move(answered);
  Queue(std::move(job));
}

void OrderedSaves::Queue(std::shared_ptr<Job> job) {
  DeliverUntil(depth_ - 1, depth_ / 2);
  std::lock_guard<std::mutex> lock(mutex_);
  jobs_.push_back(std::move(job));
  // Saves that wait read the text themselves; otherwise the reading thread is woken for a few
  // texts at once.
  if (saving_waits_) {
    save_work_.notify_one();
  } else if (jobs_.size() - taken_ >= kReadTogether) {
    WakeReading();
  }
}

void OrderedSaves::WakeReading() {
  if (reading_waits_ && taken_ < jobs_.size()) read_work_.notify_one();
}

void OrderedSaves::Deliver() { DeliverUntil(static_cast<size_t>(-1)); }

void OrderedSaves::Drain() { DeliverUntil(0); }

size_t OrderedSaves::Pending() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return jobs_.size();
}

void OrderedSaves::DeliverUntil(size_t keep, size_t batch) {
  if (delivering_) return;  // called from within an answer: the outer hand-out goes on
  for (;;) {
    std::shared_ptr<Job> job;
    {
      std::unique_lock<std::mutex> lock(mutex_);
      if (jobs_.empty()) return;
      if (!jobs_.front()->done) {
        if (jobs_.size() <= keep) return;
        const size_t need = std::min(std::max<size_t>(batch, 1), jobs_.size());
        wake_at_ = need;
        WakeReading();
        answered_.wait(lock, [&] { return jobs_[need - 1]->done; });
        wake_at_ = 0;
      }
      job = std::move(jobs_.front());
      jobs_.pop_front();
      --started_;
      --taken_;
    }
    delivering_ = true;
    try {
      if (job->answered) job->answered(job->answer);
    } catch (...) {
      delivering_ = false;
      throw;
    }
    delivering_ = false;
  }
}

}  // namespace vodare
