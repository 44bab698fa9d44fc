// Saves into a fresh local company: masters, then inventory vouchers of a typical shape (five
// item lines with batches, tax sundries, party/sales/tax entries, a bill reference). Prints the
// rates; the store must keep up with the conversion (masters >= 5,000/s, vouchers >= 2,000/s
// end to end, of which the store is a part). Usage: bench_local_store [VOUCHERS] [--keep].

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <string>
#include <vector>

#include "destination/local/company_store.h"
#include "destination/local/installation.h"
#include "destination/local/local_factory.h"

using namespace vodare;

namespace {

std::string Voucher(int n) {
  std::string no = std::to_string(n);
  std::string party = "Party " + std::to_string(n % 500);
  std::string xml =
      "<Sale><VchType>9</VchType><VchSeriesName>Sales</VchSeriesName><Date>" +
      std::string(n % 2 ? "15-06-2024" : "16-09-2024") + "</Date><VchNo>" + no +
      "</VchNo><MasterName1>" + party +
      "</MasterName1><MasterName2>MAIN STORE</MasterName2><BillingDetails/><ItemEntries>";
  for (int i = 1; i <= 5; ++i) {
    std::string item = "Item " + std::to_string((n * 7 + i) % 2000);
    xml += "<ItemDetail><Date>15-06-2024</Date><VchType>9</VchType><VchNo>" + no +
           "</VchNo><SrNo>" + std::to_string(i) + "</SrNo><ItemName>" + item +
           "</ItemName><ConFactor>1</ConFactor><Qty>2</Qty><QtyMainUnit>2</QtyMainUnit>"
           "<QtyAltUnit>20</QtyAltUnit><Price>100</Price><PriceAltUnit>100</PriceAltUnit>"
           "<ListPrice>100</ListPrice><Amt>200</Amt><NettAmount>200</NettAmount><MC>MAIN STORE</MC>"
           "<BatchEntries><BatchDetails><Date>15-06-2024</Date><SrNo>1</SrNo><BatchNo>B" +
           std::to_string(i) +
           "</BatchNo><ExpiryDate>31-12-2026</ExpiryDate><Qty>2</Qty><QtyAltUnit>20</QtyAltUnit>"
           "<ItemMRP>120</ItemMRP><SalesPrice>110</SalesPrice></BatchDetails></BatchEntries>"
           "<ItemDescInfo><Description1>Strip of 10 "
           "tablets</Description1></ItemDescInfo></ItemDetail>";
  }
  xml +=
      "</ItemEntries><STPTName>Local-TaxIncl.</STPTName><BillSundries>"
      "<BSDetail><SrNo>1</SrNo><BSName>SGST</BSName><PercentVal>6</PercentVal><Amt>60</Amt>"
      "<VchType>9</VchType><VchNo>" +
      no +
      "</VchNo><Date>15-06-2024</Date></BSDetail>"
      "<BSDetail><SrNo>2</SrNo><BSName>CGST</BSName><PercentVal>6</PercentVal><Amt>60</Amt>"
      "<VchType>9</VchType><VchNo>" +
      no +
      "</VchNo><Date>15-06-2024</Date></BSDetail>"
      "</BillSundries><AccEntries>";
  const char* accounts[][3] = {{"", "1", "-1120"},
                               {"Sales", "2", "1000"},
                               {"SGST Output", "2", "60"},
                               {"CGST Output", "2", "60"}};
  int sr = 0;
  for (auto& a : accounts) {
    std::string account = *a[0] ? a[0] : party;
    xml += "<AccDetail><Date>15-06-2024</Date><VchType>9</VchType><VchNo>" + no + "</VchNo><SrNo>" +
           std::to_string(++sr) + "</SrNo><AccountName>" + account + "</AccountName><AmountType>" +
           a[1] + "</AmountType><AmtMainCur>" + a[2] + "</AmtMainCur></AccDetail>";
  }
  xml +=
      "</AccEntries><POSVchData><CarrySettlement>True</CarrySettlement></POSVchData>"
      "<PendingBillDetails><BillDetail><MasterName1>" +
      party +
      "</MasterName1><Value1>1120</Value1><BillRefs><Method>1</Method><SrNo>1</SrNo><RefNo>" + no +
      "/1</RefNo><Date>15-06-2024</Date><DueDate>15/07/2024</DueDate><Value1>-1120"
      "</Value1></BillRefs></BillDetail></PendingBillDetails></Sale>";
  return xml;
}

double CpuSeconds() { return static_cast<double>(std::clock()) / CLOCKS_PER_SEC; }

double Seconds(std::chrono::steady_clock::time_point since) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

}  // namespace

int main(int argc, char** argv) {
  int vouchers = argc > 1 ? std::atoi(argv[1]) : 20000;
  std::string root = (std::filesystem::temp_directory_path() / "vodare-bench-store").string();
  std::filesystem::remove_all(root);
  std::string program = root + "/prog", data = root + "/data";
  local::EnsureInstallation(program, data);
  local::NewCompany spec;
  spec.name = "Bench";
  spec.state = "GOA";
  spec.years = {2024};
  std::string code = local::CompanyStore::Create(data, spec);

  local::LocalAutomationFactory factory(program);
  auto fixed = factory.CreateFixedInterface(kProgIdFixedInterface);
  auto fixed1 = factory.CreateFixedInterface1(kProgIdFixedInterface1);
  int16_t year = 2024;
  if (!fixed->OpenDB(program, data, code, year)) return 1;
  std::string message, sales = "Sales";
  fixed1->SaveVchSeriesForMultiSeriesCreation(sales, 9);

  std::vector<std::pair<int16_t, std::string>> masters;
  for (int i = 0; i < 500; ++i) {
    masters.push_back({2, "<Account><Name>Party " + std::to_string(i) +
                              "</Name><PrintName>Party</PrintName><ParentGroup>Sundry Debtors"
                              "</ParentGroup><OPBal>-100</OPBal><Address><Address1>Main Road"
                              "</Address1></Address></Account>"});
  }
  for (int i = 0; i < 2000; ++i) {
    masters.push_back({6, "<Item><Name>Item " + std::to_string(i) +
                              "</Name><ParentGroup>General</ParentGroup><MainUnit>STRIP</MainUnit>"
                              "<OPStockInMainUnit>100</OPStockInMainUnit><OPAmount>5000</OPAmount>"
                              "<HSNCode>3004</HSNCode></Item>"});
  }
  for (int i = 0; i < 5000; ++i) {
    masters.push_back({19, "<Broker><Name>Broker " + std::to_string(i) +
                               "</Name><PrintName>B</PrintName></Broker>"});
  }
  auto t0 = std::chrono::steady_clock::now();
  double c0 = CpuSeconds();
  for (auto& [kind, xml] : masters) {
    if (!fixed->SaveMasterFromXML(kind, xml, message)) {
      std::fprintf(stderr, "master refused: %s\n", message.c_str());
      return 1;
    }
  }
  double master_seconds = Seconds(t0), master_cpu = CpuSeconds() - c0;

  t0 = std::chrono::steady_clock::now();
  c0 = CpuSeconds();
  int16_t type = 9;
  // Each text is made just before it is sent, as a conversion does, so that the peak memory
  // measured is the store's own.
  for (int i = 0; i < vouchers; ++i) {
    std::string xml = Voucher(i);
    if (!fixed->SaveVchFromXML(type, xml, message, false)) {
      std::fprintf(stderr, "voucher refused: %s\n", message.c_str());
      return 1;
    }
  }
  double voucher_seconds = Seconds(t0), voucher_cpu = CpuSeconds() - c0;
  std::printf("masters:  %zu in %.3f s = %.0f per second (%.0f per CPU second)\n", masters.size(),
              master_seconds, masters.size() / master_seconds, masters.size() / master_cpu);
  std::printf("vouchers: %d in %.3f s = %.0f per second (%.0f per CPU second; store only)\n",
              vouchers, voucher_seconds, vouchers / voucher_seconds, vouchers / voucher_cpu);
  if (argc > 2 && std::string(argv[2]) == "--keep") {
    std::printf("company kept: %s/%s\n", data.c_str(), code.c_str());
  } else {
    std::filesystem::remove_all(root);
  }
  return 0;
}
