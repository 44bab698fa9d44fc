#pragma once
// Voucher saves on a thread of their own, so that the next voucher is read and built while the
// company stores the one before it. A second thread ahead of the saving one makes each record's
// text and, for a company that reads records ahead (ReadsVouchersAhead), reads it: the saving
// thread is left the checks, rows and commit, which must come one after the other. A text the
// reading thread has not come to when the saves would wait is read by the saving thread itself,
// so that the saves never sleep for want of a core for the reading thread. The saves run
// strictly in the order they were handed in, one call each, and every voucher is answered (on the
// caller's thread, in the same order) only once the company has answered that very call: a voucher
// counted as saved is one the company holds, whatever happens to the process afterwards.
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
#include "destination/reading_ahead.h"

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
    std::unique_ptr<ReadAhead> read;  // the company's reading of xml, when it reads ahead
    std::exception_ptr unread;        // what reading the text raised
    Answered answered;
    Answer answer;
    bool ready = false;  // text read: the save may start
    bool done = false;
  };
  void Loop();
  void ReadLoop();
  // The company's reading of the job's text, or what reading it raised.
  void Read(Job& job);
  // Hands out the answers at the front that are in, until `keep` or fewer remain. Where it has
  // to wait, it waits for `batch` answers at once: a caller waiting for room is woken once for
  // several saves, not once for each.
  void DeliverUntil(size_t keep, size_t batch = 1);
  void Queue(std::shared_ptr<Job> job);
  // Wakes the reading thread when it sleeps with texts to read; mutex_ held.
  void WakeReading();

  CFixedInterface& fixed_;
  const size_t depth_;
  mutable std::mutex mutex_;
  // Each thread waits on its own: a voucher handed in wakes only the reading thread, and a text
  // read only the saving one.
  std::condition_variable read_work_, save_work_, answered_;
  std::deque<std::shared_ptr<Job>> jobs_;  // in order; the front is the oldest unanswered
  size_t started_ = 0;                     // jobs_ the saving thread has taken
  size_t taken_ = 0;                       // jobs_ the reading thread has taken
  bool stop_ = false;
  bool reading_waits_ = false, saving_waits_ = false;
  size_t wake_at_ = 0;       // a caller waits for this many answers at the front (0: none waits)
  bool delivering_ = false;  // an answer is being handed out: no nested hand-out
  ReadsVouchersAhead* const reader_;  // null for a company that reads only when it saves
  std::thread reading_, thread_;
};

}  // namespace vodare
