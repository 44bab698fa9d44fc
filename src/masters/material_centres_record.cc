// The records of the material centre and tax type stages, apart from their loops.
#include "common/helpers.h"
#include "common/xml.h"
#include "masters/material_centres.h"

namespace vodare {

std::string BuildMaterialCentreRecord(const std::string& name) {
  // The record's text writes a character of code 2 as a character reference: the character is
  // dropped from the value instead.
  std::string value = name;
  RemoveCode2(value);
  RecordWriter record("MaterialCenter");
  AddXmlElement(record.root(), "Name", Value(value), 2);
  AddXmlElement(record.root(), "PrintName", Value(value), 1);
  AddXmlElement(record.root(), "PrimaryGroup", Value(true), 7);
  return record.Finish();
}

std::string GetXmlTagValue(std::string_view xml, std::string_view tag) {
  std::string open = "<" + std::string(tag) + ">";
  std::string close = "</" + std::string(tag) + ">";
  size_t start = xml.find(open);
  if (start == std::string_view::npos) return {};
  start += open.size();
  size_t end = xml.find(close, start);
  if (end == std::string_view::npos) return {};
  return std::string(xml.substr(start, end - start));
}

const std::array<TaxTypeRecord, 4> kTaxTypeRecords = {{
    {true,
     "<SaleType><Code>1221</Code><Name>Local-MultiRate Consolidated</Name>"
     "<tmpStamp>3</tmpStamp><Taxable>True</Taxable>"
     "<tmpTaxAppliedThroughBS>True</tmpTaxAppliedThroughBS>"
     "<tmpMultiTaxThroughBS>True</tmpMultiTaxThroughBS><tmpTaxType>3</tmpTaxType>"
     "<VATGSTType>1</VATGSTType><SaleAccount>Sales</SaleAccount>"
     "<ServiceAccName>Sales</ServiceAccName><InputTaxCredit>True</InputTaxCredit>"
     "<PercentOfAmount>100</PercentOfAmount>"
     "<VRCNum>&lt;&lt; According to 'Taxation Type' &gt;&gt;</VRCNum><tmpCode>1221</tmpCode>"
     "<tmpSalePurcAccCode>4</tmpSalePurcAccCode><tmpServiceAccCode>4</tmpServiceAccCode>"
     "<SingleBSForMultiRate>True</SingleBSForMultiRate><MasterType>13</MasterType>"
     "</SaleType>"},
    {true,
     "<SaleType><Code>1232</Code><Name>Central-MultiRate Consolidated</Name>"
     "<tmpStamp>3</tmpStamp><Taxable>True</Taxable>"
     "<tmpTaxAppliedThroughBS>True</tmpTaxAppliedThroughBS>"
     "<tmpMultiTaxThroughBS>True</tmpMultiTaxThroughBS><tmpTaxType>3</tmpTaxType>"
     "<VATGSTType>1</VATGSTType><SaleAccount>Sales</SaleAccount>"
     "<ServiceAccName>Sales</ServiceAccName><Type>1</Type><InputTaxCredit>True</InputTaxCredit>"
     "<PercentOfAmount>100</PercentOfAmount>"
     "<VRCNum>&lt;&lt; According to 'Taxation Type' &gt;&gt;</VRCNum><tmpCode>1232</tmpCode>"
     "<tmpSalePurcAccCode>4</tmpSalePurcAccCode><tmpServiceAccCode>4</tmpServiceAccCode>"
     "<SingleBSForMultiRate>True</SingleBSForMultiRate><MasterType>13</MasterType>"
     "</SaleType>"},
    {false,
     "<PurchaseType><Code>1244</Code><Name>Local-MultiRate Consolidated</Name>"
     "<tmpStamp>2</tmpStamp><Taxable>True</Taxable>"
     "<tmpTaxAppliedThroughBS>True</tmpTaxAppliedThroughBS>"
     "<tmpMultiTaxThroughBS>True</tmpMultiTaxThroughBS><tmpTaxType>3</tmpTaxType>"
     "<VATGSTType>1</VATGSTType><PurchaseAccount>Purchase</PurchaseAccount>"
     "<ServiceAccName>Purchase</ServiceAccName><InputTaxCredit>True</InputTaxCredit>"
     "<PercentOfAmount>100</PercentOfAmount>"
     "<VRCNum>&lt;&lt; According to 'Taxation Type' &gt;&gt;</VRCNum><tmpCode>1244</tmpCode>"
     "<tmpSalePurcAccCode>5</tmpSalePurcAccCode><tmpServiceAccCode>5</tmpServiceAccCode>"
     "<SingleBSForMultiRate>True</SingleBSForMultiRate><MasterType>14</MasterType>"
     "</PurchaseType>"},
    {false,
     "<PurchaseType><Code>1254</Code><Name>Central-MultiRate Consolidated</Name>"
     "<tmpStamp>4</tmpStamp><Taxable>True</Taxable>"
     "<tmpTaxAppliedThroughBS>True</tmpTaxAppliedThroughBS>"
     "<tmpMultiTaxThroughBS>True</tmpMultiTaxThroughBS><tmpTaxType>3</tmpTaxType>"
     "<VATGSTType>1</VATGSTType><PurchaseAccount>Purchase</PurchaseAccount>"
     "<ServiceAccName>Purchase</ServiceAccName><Type>1</Type>"
     "<InputTaxCredit>True</InputTaxCredit><PercentOfAmount>100</PercentOfAmount>"
     "<VRCNum>&lt;&lt; According to 'Taxation Type' &gt;&gt;</VRCNum><tmpCode>1254</tmpCode>"
     "<tmpSalePurcAccCode>5</tmpSalePurcAccCode><tmpServiceAccCode>5</tmpServiceAccCode>"
     "<SingleBSForMultiRate>True</SingleBSForMultiRate><MasterType>14</MasterType>"
     "</PurchaseType>"},
}};

}  // namespace vodare
