// Voucher saves on their own thread, into a real local company: in the order handed in, each
// answer its own voucher's, and an answer only for a voucher the company has committed.

#include "destination/ordered_saves.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <set>

#include "destination/local/company_store.h"
#include "destination/local/installation.h"
#include "support/local_company.h"

namespace vodare {
namespace {

using testing::CreateLocalCompany;
using testing::JournalOf;
using testing::LocalCompany;
using testing::OpenLocalCompany;
namespace fs = std::filesystem;

// A cash sale booked as a journal voucher; an amount that is not a number is refused.
std::string JournalXml(int number, const std::string& amount = "100") {
  const std::string entry =
      "<AccDetail><AccountName>%s</AccountName><AmountType>%d</AmountType><AmtMainCur>" + amount +
      "</AmtMainCur></AccDetail>";
  auto detail = [&](const char* account, int type) {
    std::string e = entry;
    e.replace(e.find("%s"), 2, account);
    e.replace(e.find("%d"), 2, std::to_string(type));
    return e;
  };
  return "<Journal><VchType>16</VchType><Date>05-06-2024</Date><VchNo>" + std::to_string(number) +
         "</VchNo><AccEntries>" + detail("Cash", 1) + detail("Sales", 2) +
         "</AccEntries></Journal>";
}

int64_t VoucherCount(const LocalCompany& company) {
  local::CompanyStore store(fs::path(company.data_folder) / company.code / local::kCompanyFileName);
  auto& st = store.db().Cached("SELECT COUNT(*) FROM voucher");
  st.Step();
  const int64_t n = st.Int(0);
  st.Reset();
  return n;
}

TEST(OrderedSaves, AnswersComeInOrderEachForItsOwnVoucherOnceItIsCommitted) {
  LocalCompany company = CreateLocalCompany({.years = {2024}});
  auto s = OpenLocalCompany(company);
  constexpr int kVouchers = 50;
  // Every seventh repeats the voucher before it ("already exists"), every eleventh has an
  // amount that is not a number, every thirteenth (from the fourth) carries a narration long
  // enough for the journal to pack its text, and from the tenth on every thirteenth is such a
  // long one cut short (not well-formed); the rest are saved.
  const std::string narration = "<Narration>" + std::string(1500, 'n') + "</Narration>";
  auto long_xml = [&](int i) {
    std::string xml = JournalXml(i);
    return xml.insert(xml.find("<AccEntries>"), narration);
  };
  auto xml_of = [&](int i) {
    if (i % 11 == 10) return JournalXml(i, "12x");
    if (i % 13 == 3) return long_xml(i);
    if (i % 13 == 9) return long_xml(i).substr(0, 1400);
    return JournalXml(i % 7 == 6 ? i - 1 : i);
  };
  std::vector<int> order;
  std::vector<std::string> messages(kVouchers);
  int saved = 0;
  {
    OrderedSaves saves(*s.fixed, 4);
    for (int i = 0; i < kVouchers; ++i) {
      saves.Submit(16, xml_of(i), [&, i](const OrderedSaves::Answer& a) {
        order.push_back(i);
        ASSERT_FALSE(a.error);
        messages[i] = a.message;
        if (!a.saved) return;
        ++saved;
        // Committed before it was answered: another connection to the file sees it (and maybe
        // the next ones, saved meanwhile).
        EXPECT_GE(VoucherCount(company), saved) << "voucher " << i << " answered before its commit";
      });
    }
    saves.Drain();
    EXPECT_EQ(saves.Pending(), 0u);
    // Nothing is under way now: the company's other members may be called. A raised error is
    // the answer of the voucher it belongs to.
    s.fixed->CloseDB();
    bool raised = false;
    saves.Submit(16, JournalXml(999),
                 [&](const OrderedSaves::Answer& a) { raised = a.error != nullptr && !a.saved; });
    saves.Drain();
    EXPECT_TRUE(raised);
  }
  ASSERT_EQ(order.size(), static_cast<size_t>(kVouchers));
  for (int i = 0; i < kVouchers; ++i) {
    EXPECT_EQ(order[i], i);
    if (i % 11 == 10)
      EXPECT_NE(messages[i].find("'12x'"), std::string::npos) << i << ": " << messages[i];
    else if (i % 13 == 9)
      EXPECT_NE(messages[i].find("not well-formed"), std::string::npos) << i << ": " << messages[i];
    else if (i % 13 == 3)
      EXPECT_EQ(messages[i], "") << i;
    else if (i % 7 == 6)
      EXPECT_NE(messages[i].find("already exists"), std::string::npos) << i << ": " << messages[i];
    else
      EXPECT_EQ(messages[i], "") << i;
  }
  // The journal holds the calls in the order they were handed in, each text as it was sent.
  auto journal = JournalOf(company, "SaveVchFromXML");
  ASSERT_EQ(journal.size(), static_cast<size_t>(kVouchers));
  for (int i = 0; i < kVouchers; ++i) EXPECT_EQ(journal[i].text, xml_of(i)) << i;
}

// A process killed right after vouchers were answered as saved has lost none of them.
TEST(OrderedSaves, AVoucherAnsweredAsSavedSurvivesAKill) {
  LocalCompany company = CreateLocalCompany({.years = {2024}});
  int fds[2];
  ASSERT_EQ(pipe(fds), 0);
  pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    close(fds[0]);
    auto s = OpenLocalCompany(company);
    OrderedSaves saves(*s.fixed);
    for (int n = 1;; ++n) {
      saves.Submit(16, JournalXml(n), [&, n](const OrderedSaves::Answer& a) {
        if (!a.saved) _exit(3);
        if (write(fds[1], &n, sizeof n) != sizeof n) _exit(4);
      });
    }
  }
  close(fds[1]);
  std::set<int> answered;
  int n = 0;
  while (answered.size() < 300 && read(fds[0], &n, sizeof n) == sizeof n) answered.insert(n);
  kill(child, SIGKILL);
  int status = 0;
  waitpid(child, &status, 0);
  while (read(fds[0], &n, sizeof n) == sizeof n) answered.insert(n);
  close(fds[0]);
  ASSERT_TRUE(WIFSIGNALED(status)) << "the saving process ended by itself: " << status;
  ASSERT_GE(answered.size(), 300u);

  std::set<int> held;
  for (const auto& row : JournalOf(company, "SaveVchFromXML", true)) {
    const size_t at = row.text.find("<VchNo>") + 7;
    held.insert(std::stoi(row.text.substr(at)));
  }
  for (int number : answered) EXPECT_TRUE(held.count(number)) << "voucher " << number << " lost";
  EXPECT_EQ(VoucherCount(company), static_cast<int64_t>(held.size()));
}

}  // namespace
}  // namespace vodare
