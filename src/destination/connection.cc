#include "destination/connection.h"

#include <exception>
#include <utility>

#include "common/run_error.h"
#include "common/xml.h"
#include "destination/converters.h"

namespace vodare {

namespace {

template <typename T>
T& Require(const std::unique_ptr<T>& object) {
  if (!object) throw RunTimeError(kObjectNotSet, 91);
  return *object;
}

// The text of an element: every text below it, in document order.
std::string NodeText(const pugi::xml_node& node) {
  if (node.type() == pugi::node_pcdata || node.type() == pugi::node_cdata) return node.value();
  std::string text;
  for (pugi::xml_node n = node.first_child(); n; n = n.next_sibling()) text += NodeText(n);
  return text;
}

// Runs one step of the settings reading; an error leaves what the step would have set alone.
template <typename F>
void RunOn(F&& step) {
  try {
    step();
  } catch (const std::exception&) {
  }
}

}  // namespace

bool ConnectDestination(AutomationFactory& factory, DestinationSession& session,
                        const std::string& program_folder, const std::string& data_folder,
                        const std::string& company_code, int16_t year, ErrorList& errors) {
  try {
    session.FixedApi = factory.CreateFixedInterface(kProgIdFixedInterface);
    CFixedInterface& fixed = Require(session.FixedApi);
    std::string code = company_code;
    bool open = fixed.OpenDB(program_folder, data_folder, code);
    if (open) {
      code = company_code;
      int16_t fin_year = year;
      open = fixed.OpenDB(program_folder, data_folder, code, fin_year);
    }
    if (!open) {
      errors.Add(kConnectionStage, company_code, kUnableToConnectMessage);
      session.FixedApi.reset();
      session.CompanyApi.reset();
      return false;
    }
    session.CompanyApi = factory.CreateCompany(kProgIdCompany);
    session.MastConfigApi = factory.CreateMastConfig(kProgIdMastConfig);
    session.FixedApi1 = factory.CreateFixedInterface1(kProgIdFixedInterface1);
    std::string text;
    Require(session.CompanyApi).Load(text);
    Require(session.MastConfigApi).Load(kKindItem);
    // The company's text replaces what the list held (nothing, from a server that hands back
    // an empty text); it is kept as the server wrote it, with nothing after it.
    errors.Clear();
    if (!text.empty()) errors.Add(kConnectionStage, "", text, "");
    session.CompanyApi->Load(text);
    return true;
  } catch (const std::exception&) {
    errors.Add(kConnectionStage, "", kNotInstalledMessage, "");
    return false;
  }
}

Value GetNodeValue(const pugi::xml_node& node, const std::string& name, int16_t kind,
                   const CCompany* company) {
  try {
    pugi::xml_node found = node.select_node(name.c_str()).node();
    if (!found) throw RunTimeError(kObjectNotSet, 91);
    std::string text = NodeText(found);
    switch (kind) {
      case 1:
        return Value(text);
      case 2:
        return Value(static_cast<int64_t>(ParseInteger(text)));
      case 3:
        return Value(static_cast<int64_t>(ParseLong(text)));
      case 5:
        return Value(ParseAmount(text, company));
      case 6:
        return Value(ParseDmyDate(text));
      case 7:
        return Value(ParseFlag(text));
      case 8:
        return Value(ParseDateTime(text).Serial());
      case 12:
        return Value(NormalizeTime(text));
      default:
        return Value();
    }
  } catch (const std::exception&) {
    // pugixml reports a name that is not a path with its own exception; both give the default.
    switch (kind) {
      case 1:
        return Value(std::string());
      case 2:
      case 3:
        return Value(static_cast<int64_t>(0));
      case 5:
        return Value(0.0);
      case 6:
        return Value(Date());
      case 7:
        return Value(false);
      case 8:
        return Value(0.0);
      default:
        return Value();
    }
  }
}

CompanySettings ReadCompanySettings(const DestinationSession& session) {
  CompanySettings s;
  pugi::xml_document doc;
  RunOn([&] {
    std::string xml = Require(session.FixedApi).GetCompConfigXML();
    // XML that is not well-formed gives an empty document, not the part read before the fault.
    if (!doc.load_string(xml.c_str())) doc.reset();
  });
  const CCompany* company = session.CompanyApi.get();
  auto text_of = [&](const pugi::xml_node& n, const char* name) {
    return GetNodeValue(n, name, 1, company).Text();
  };
  auto integer_of = [&](const pugi::xml_node& n, const char* name) {
    return static_cast<int16_t>(GetNodeValue(n, name, 2, company).Integer());
  };
  for (const pugi::xpath_node& company_node : doc.select_nodes("//Company")) {
    pugi::xml_node c = company_node.node();
    RunOn([&] { s.CompanyName = text_of(c, "CompanyName"); });
    RunOn([&] { s.Country = text_of(c, "Country"); });
    RunOn([&] { s.CountryCode = Require(session.FixedApi1).CountryName2Code(s.Country); });
    RunOn([&] { s.State = text_of(c, "State"); });
    RunOn(
        [&] { s.StateCode = Require(session.FixedApi1).StateName2PDCode(s.State, s.CountryCode); });
    RunOn([&] { s.DateType = integer_of(c, "DateType"); });
    RunOn([&] { s.CurFY = GetNodeValue(c, "CurFY", 6, company).DateValue(); });
    RunOn([&] { s.TimeFormat = integer_of(c, "TimeFormat"); });
    RunOn([&] { s.DateSeparator = text_of(c, "DateSeparator"); });
    RunOn([&] { s.DecimalChar = text_of(c, "DecimalChar"); });
    RunOn([&] {
      pugi::xml_node vat_gst = c.child("VatGst");
      pugi::xml_node tax_type = vat_gst.child("SalesTaxType");
      if (!tax_type) return;
      s.GstRegime = NodeText(tax_type) == "GST" ? 1 : 0;
    });
  }
  return s;
}

}  // namespace vodare
