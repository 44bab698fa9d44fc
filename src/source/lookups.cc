#include "source/lookups.h"

#include <exception>
#include <unordered_map>
#include <unordered_set>

#include "common/helpers.h"
#include "common/text.h"
#include "source/saved_names.h"
#include "source/source_db.h"

namespace vodare {

std::string GetSourceName(SourceDb* db, RunUi& ui, std::string_view kind, std::string_view code) {
  std::string c = CleanTextCopy(code, 3);
  std::string sql;
  if (kind == "ITEM") {
    sql = "Select Billname as Sname,'' AS Name2 from pro where code=" + c;
  } else if (kind == "ACGROUP") {
    sql = "SELECT '' AS Sname,PARNAM AS Name2 FROM ACGROUP WHERE ORDNO='" + c + "'";
  } else if (kind == "ACCOUNT") {
    sql = "SELECT PARNAM AS Sname,'' AS Name2 FROM [Order] WHERE ORDNO='" + c + "'";
  } else {
    sql = "Select Sname,PARNAM AS Name2 from SaleType where Scode='" + c + "' and Sgcode='" +
          std::string(kind) + "'";
  }
  Recordset rs = GetRecordset(db, ui, sql);
  if (rs.Eof()) return {};
  std::string sname = NzTrim(rs.Field("Sname"));
  std::string name2 = NzTrim(rs.Field("Name2"));
  if (!name2.empty() && sname.empty()) return name2;
  return sname;
}

std::string GetAccountName(SourceDb* db, RunUi& ui, std::string_view code) {
  // The code is quoted like every other lookup's: a quote in it must not end the literal.
  Recordset rs =
      GetRecordset(db, ui, "Select Parnam from [order] where OrdNo='" + CleanTextCopy(code, 3) + "'");
  if (rs.RecordCount() > 0) return NzTrim(rs.Field("Parnam"));
  return {};
}

std::string GetPartyEmail(SourceDb* db, RunUi& ui, std::string_view code) {
  Recordset rs = GetRecordset(
      db, ui, "SELECT remark FROM SUPPORT where LCODE='" + CleanTextCopy(code, 3) + "' and PCode=0");
  std::string found;
  if (rs.RecordCount() > 0) {
    while (!rs.Eof()) {
      std::string remark = NzTrim(rs.Field("Remark"));
      if (remark.find('@') != std::string::npos) {
        found = std::move(remark);
        break;
      }
      rs.MoveNext();
    }
  }
  size_t blank = found.find(' ');
  if (blank != std::string::npos) return found.substr(0, blank);
  return found;
}

std::string GetPartyStateCode(SourceDb* db, RunUi& ui, std::string_view code) {
  Recordset rs = GetRecordset(
      db, ui, "SELECT remark FROM SUPPORT where LCODE='" + CleanTextCopy(code, 3) + "' and PCode=15");
  if (rs.Eof()) return {};
  std::string remark = NzTrim(rs.Field("Remark"));
  return Right(Trim(Right(remark, 5)), 2);
}

std::string GetFieldList(int kind) {
  switch (kind) {
    case 1:
      return "name,rackno,billName,Unit,Unit2,Mrp,ratea,pRate,Purdis,Opening,Igst,Pack,Gcode,"
             "rackNo2,Gcode3,Gcode5,Gcode6,packing";
    case 2:
      return "Parnam,OPNING,Date,rate,dLNo,scode,ordno,scode,City,ParAdd,ParAdd1,ParAdd2,Dsm,"
             "CSTNo,GSTNo,ItNo,CONFIR,PHONE1,PHONE3,Fax1,PHONE4,DueDays,Mr";
    case 3:
      return "Parnam,Group";
    case 4:
      return "vcn,Challan,ChDate,Type,Date,Codep,Pm,final,cash,Cgstamo,Packing,Freight,Round,"
             "Other,Othun,taxamo,Voucher,staxamo,staxun,Godwon,Mr,docu,phone,docu2";
    case 5:
      return "Voucher,Type,Date,code,CREDIT,DEBIT,Mr,code1";
    default:
      return {};
  }
}

namespace {

// One walk over the master table in the order its stage saves the masters: every row the
// stage would save takes its saved name, so the counts match the stage's even for codes the
// cache already holds. The stage saves a code under the name of the code's first record in
// the table (its own query by code); record_order_sql, when given, supplies those names for
// a walk whose order is not the table's.
void FillNameCache(SourceDb* db, RunUi& ui, const char* sql, const char* record_order_sql,
                   const char* code_field, const char* name_field,
                   KeyedCollection<std::string>& cache) {
  Recordset rs = GetRecordset(db, ui, sql);
  if (rs.RecordCount() <= 0) return;
  std::unordered_map<std::string, std::string> first_names;
  if (record_order_sql) {
    for (Recordset all = GetRecordset(db, ui, record_order_sql); !all.Eof(); all.MoveNext())
      first_names.try_emplace(FoldKey(NzTrim(all.Field(code_field))),
                              NzTrim(all.Field(name_field)));
  }
  SavedNameAllocator names;
  std::unordered_set<std::string> walked;
  for (; !rs.Eof(); rs.MoveNext()) {
    std::string code = NzTrim(rs.Field(code_field));
    std::string name = NzTrim(rs.Field(name_field));
    if (IsBlank(code) || IsBlank(name)) continue;
    if (!walked.insert(FoldKey(code)).second) continue;
    if (record_order_sql) name = first_names[FoldKey(code)];
    std::string saved = names.Allocate(CleanTextCopy(name, 2));
    if (!cache.Contains(code)) cache.Add(code, std::move(saved));
  }
}

}  // namespace

void BuildItemNameCache(SourceDb* db, RunUi& ui, KeyedCollection<std::string>& cache) {
  // Ties of the code order keep record order, so each code's first row is its first record.
  FillNameCache(db, ui, "SELECT code,billname FROM pro order by code", nullptr, "code",
                "billname", cache);
}

void BuildAccountNameCache(SourceDb* db, RunUi& ui, KeyedCollection<std::string>& cache) {
  FillNameCache(db, ui, "Select ordno,parnam from [order] order by Parnam",
                "Select ordno,parnam from [order]", "ordno", "parnam", cache);
}

// Godowns are the SaleType rows coded "GODWON". The count is taken again after walking to the
// last row, as the engine's count is only sure once every row has been reached.
int32_t CountGodowns(SourceDb* db, RunUi& ui) {
  // Without an open export there is nothing to count, and nothing to tell the user about.
  if (!db) return 0;
  try {
    Recordset rs =
        GetRecordset(db, ui, "Select Parnam,Scode from saletype where Sgcode = 'GODWON'");
    int64_t count = rs.RecordCount();
    if (count > 0) {
      rs.MoveLast();
      rs.MoveFirst();
      count = rs.RecordCount();
    }
    return static_cast<int32_t>(count);
  } catch (const std::exception&) {
    return 0;
  }
}

}  // namespace vodare
