#pragma once
// Voucher saves on a thread of their own, so that the next voucher is read and built while the
// company stores the one before it. The saves run strictly in the order they were handed in, one
// call each, and every voucher is answered (on the caller's thread, in the same order) only once
// the company has answered that very call: a voucher counted as saved is one the company holds,
// whatever happens to the process afterwards.
//
// While saves are under way nothing else may talk to the company: a caller that needs any other
// member first calls Drain(). Whatever a caller writes in voucher order (error entries, tallies)
// belongs in the answer, or after a Drain(), so that it reads as a run one voucher at a time.

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <exception>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "destination/automation.h"

namespace vodare {

class OrderedSaves {
 public:
  // What the company said to one save: saved or not, its message, or the error it raised.
  struct Answer {
    bool saved = false;
    std::string message;
    std::exception_ptr error;
  };
  using Answered = std::function<void(const Answer&)>;

  // At most `depth` vouchers wait or are being saved at once; a further one waits for room.
  explicit OrderedSaves(CFixedInterface& fixed, size_t depth = 32);
  // Waits for the saves under way and hands out their answers.
  ~OrderedSaves();
  OrderedSaves(const OrderedSaves&) = delete;
  OrderedSaves& operator=(const OrderedSaves&) = delete;

  // Queues SaveVchFromXML(type, xml) behind the saves before it; `answered` runs on this thread,
  // from a later Submit, Deliver or Drain, after every earlier voucher's answer.
  void Submit(int16_t type, std::string xml, Answered answered);
  // The same with the record's text made on the saving thread, just before its save: what the
  // caller would otherwise spend writing it out goes to the other core. `text` must hold what it
  // needs (it runs after the caller has gone on to the next voucher).
  void Submit(int16_t type, std::function<std::string()> text, Answered answered);
  // Hands out the answers that are in, without waiting.
  void Deliver();
  // Waits for every queued save and hands out all the answers.
  void Drain();
  // Vouchers handed in and not yet answered.
  size_t Pending() const;

 private:
  struct Job {
    int16_t type = 0;
    std::string xml;
    std::function<std::string()> text;  // makes xml when set
    Answered answered;
    Answer answer;
    bool done = false;
  };
  void Loop();
  // Hands out the answers at the front that are in; with `wait` until `keep` or fewer remain.
  void DeliverUntil(size_t keep);
  void Queue(std::shared_ptr<Job> job);

  CFixedInterface& fixed_;
  const size_t depth_;
  mutable std::mutex mutex_;
  std::condition_variable work_, answered_;
  std::deque<std::shared_ptr<Job>> jobs_;  // in order; the front is the oldest unanswered
  size_t started_ = 0;                     // jobs_ the saving thread has taken
  bool stop_ = false;
  bool delivering_ = false;  // an answer is being handed out: no nested hand-out
  std::thread thread_;
};

}  // namespace vodare
