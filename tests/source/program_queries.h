#pragma once
// Every query text the program sends, with values of the kinds the stages fill in.

#include <string>
#include <vector>

#include "source/lookups.h"

namespace vodare {

inline std::vector<std::string> ProgramQueries() {
  const std::string from = "04-01-2024", to = "03-31-2025";
  return {
      "Select Remark as CompName from support where Aliase='ZORAVIZED3'",
      "Select Billname as Sname,'' AS Name2 from pro where code=1",
      "SELECT '' AS Sname,PARNAM AS Name2 FROM ACGROUP WHERE ORDNO='G1'",
      "SELECT PARNAM AS Sname,'' AS Name2 FROM [Order] WHERE ORDNO='A1'",
      "Select Sname,PARNAM AS Name2 from SaleType where Scode='M1' and Sgcode='GODWON'",
      "Select Parnam from [order] where OrdNo='A1'",
      "SELECT remark FROM SUPPORT where LCODE='A1' and PCode=0",
      "SELECT remark FROM SUPPORT where LCODE='A1' and PCode=15",
      "SELECT code,billname FROM pro order by code",
      "Select ordno,parnam from [order] order by Parnam",
      "Select Parnam,Scode from saletype where Sgcode = 'GODWON'",
      "SELECT " + GetFieldList(3) + " FROM ACGROUP",
      "Select " + GetFieldList(2) + " from [order] where ordno = 'A1'",
      "Select " + GetFieldList(1) + " from pro where code = 1",
      "select BatchNo,pRate,Mfd,Exp,Opening,Mrp,Ratea from probat where Billname = 'D''SOUZA'",
      "SELECT type,date,chdate,voucher,vcn,challan FROM mdis WHERE DATE >= #" + from +
          "# AND DATE <= #" + to + "# order by date,chdate,vcn,challan ",
      "SELECT " + GetFieldList(4) + " FROM MDIS WHERE DATE >= #" + from + "# AND DATE <= #" + to +
          "# and vcn = 'V1' or challan = 'V1'",
      "select ratea from probat where batchno = 'B''1'",
      "select packing from probat where code = 1",
      "select unit from probat where code = 1",
      "Select * from dis where Voucher=1",
      "SELECT * FROM Gledger WHERE DATE >= #" + from + "# AND DATE <= #" + to +
          "# order by date,Voucher",
      "SELECT " + GetFieldList(5) + " FROM Gledger WHERE DATE >= #" + from + "# AND DATE <= #" +
          to + "# and Voucher = 7",
      "select Type,Ddate,final,Vcn from pend where Voucher = 7",
      "SELECT parnam FROM ACGROUP",
  };
}

}  // namespace vodare
