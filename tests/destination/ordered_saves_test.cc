// Voucher saves on their own thread into a real local company: in order, each answer its own
// voucher's, given only once the voucher is committed.

#include "destination/ordered_saves.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "support/local_company.h"

namespace vodare {
namespace {

using testing::CreateLocalCompany;
using testing::JournalOf;
using testing::LocalCompany;
using testing::OpenLocalCompany;

// A cash sale booked as a journal voucher; an amount that is not a number is refused.
std::string JournalXml(int number, const std::string& amount = "100") {
  auto detail = [&](const char* account, const char* type) {
    return std::string("<AccDetail><AccountName>") + account + "</AccountName><AmountType>" + type +
           "</AmountType><AmtMainCur>" + amount + "</AmtMainCur></AccDetail>";
  };
  return "<Journal><VchType>16</VchType><Date>05-06-2024</Date><VchNo>" + std::to_string(number) +
         "</VchNo><AccEntries>" + detail("Cash", "1") + detail("Sales", "2") +
         "</AccEntries></Journal>";
}

TEST(OrderedSaves, AnswersComeInOrderEachForItsOwnVoucherOnceItIsCommitted) {
  LocalCompany company = CreateLocalCompany({.years = {2024}});
  auto s = OpenLocalCompany(company);
  constexpr int kVouchers = 50;
  // Long texts are ones the journal packs.
  const std::string narration = "<Narration>" + std::string(1500, 'n') + "</Narration>";
  auto long_xml = [&](int i) {
    std::string xml = JournalXml(i);
    return xml.insert(xml.find("<AccEntries>"), narration);
  };
  // Each voucher and a part of the answer it must get (none: saved): repeats, amounts that are
  // no number, long texts and long texts cut short among saved ones.
  auto voucher = [&](int i) -> std::pair<std::string, std::string> {
    if (i % 11 == 10) return {JournalXml(i, "12x"), "'12x'"};
    if (i % 13 == 3) return {long_xml(i), ""};
    if (i % 13 == 9) return {long_xml(i).substr(0, 1400), "not well-formed"};
    if (i % 7 == 6) return {JournalXml(i - 1), "already exists"};
    return {JournalXml(i), ""};
  };
  std::vector<int> order;
  std::vector<std::string> messages(kVouchers);
  int saved = 0;
  {
    OrderedSaves saves(*s.fixed, 4);
    for (int i = 0; i < kVouchers; ++i) {
      saves.Submit(16, voucher(i).first, [&, i](const OrderedSaves::Answer& a) {
        order.push_back(i);
        ASSERT_FALSE(a.error);
        messages[i] = a.message;
        if (!a.saved) return;
        ++saved;
        // Committed before it was answered: another connection to the file sees it (and maybe
        // the next ones, saved meanwhile).
        local::CompanyStore store = testing::StoreOf(company);
        EXPECT_GE(std::stoi(testing::Scalar(store, "SELECT COUNT(*) FROM voucher")), saved)
            << "voucher " << i << " answered before its commit";
      });
    }
    saves.Drain();
    EXPECT_EQ(saves.Pending(), 0u);
    // A lone voucher is saved while its caller goes on building, with no further one handed in
    // and no wait for it.
    bool lone = false;
    saves.Submit(16, JournalXml(500), [&](const OrderedSaves::Answer& a) { lone = a.saved; });
    for (int tries = 0; tries < 2000 && saves.Pending() > 0; ++tries) {
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
      saves.Deliver();
    }
    EXPECT_TRUE(lone) << "a lone voucher waited for the next one";
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
    const std::string expected = voucher(i).second;
    EXPECT_EQ(messages[i].empty(), expected.empty()) << i << ": " << messages[i];
    EXPECT_NE(messages[i].find(expected), std::string::npos) << i << ": " << messages[i];
  }
  // The journal holds the calls in the order they were handed in, each text as it was sent.
  auto journal = JournalOf(company, "SaveVchFromXML");
  ASSERT_EQ(journal.size(), static_cast<size_t>(kVouchers) + 1);
  for (int i = 0; i < kVouchers; ++i) EXPECT_EQ(journal[i].text, voucher(i).first) << i;
}

}  // namespace
}  // namespace vodare
