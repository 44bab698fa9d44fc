// The reconciliation of a run into a local company: the export and the company opened from
// their folders. The comparison itself reads the company only as CompanyBooks.
#include <memory>
#include <stdexcept>

#include "app/reconcile.h"
#include "context/run_context.h"
#include "context/run_source.h"
#include "destination/local/company_books.h"

namespace vodare {

Reconciliation ReconcileFolders(const std::string& export_dir, const std::string& data_folder,
                                const std::string& company_code, const Date& from, const Date& to,
                                const ErrorList& errors) {
  SilentRunUi ui;
  RunContext ctx(ui);
  ErrorList opening;
  if (!OpenSourceDb(ctx, export_dir, opening))
    throw std::runtime_error("the export " + export_dir + " does not open: " + opening.Text());
  std::unique_ptr<CompanyBooks> books = local::OpenCompanyBooks(data_folder, company_code);
  if (!books)
    throw std::runtime_error("no company " + company_code + " in the data folder " + data_folder);
  return Reconcile(ctx, *books, from, to, errors);
}

}  // namespace vodare
