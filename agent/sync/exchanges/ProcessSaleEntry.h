#pragma once
// A payment entry file (*.sale): line 1 "INSERT", "UPDATE" or "DELETE", line 2 "SaleReg=" and
// the sale number. Publishes the sale into the web table payment_histories (key payment_id).
#include <string>

#include "agent/sync/cycle/SyncContext.h"

class CSaleItemDB;

// The longest payment_details text sent; a longer one is cut to kPaymentDetailsCut bytes and
// ".." follows.
constexpr size_t kPaymentDetailsMax = 128;
constexpr size_t kPaymentDetailsCut = 126;

// The item names of a sale joined with "," in key order, cut as above. The cut never leaves
// half a double-byte character (such a character is dropped whole). Returns false when the
// items could not be read (error holds the library's text).
bool PaymentDetails(CSaleItemDB& items, const std::string& saleNo, std::string& details,
                    std::string& error);
// The cut alone.
std::string CutPaymentDetails(const std::string& joined);

// True (delete the file) when the row was written or deleted, and for files that ask for nothing
// (unknown word, no sale number, a sale no longer in the local database). False (keep) on a
// database error ("SQLエラー"), a local read error ("エラー") or a file that cannot be read.
bool ProcessSaleEntry(SyncContext& ctx, const std::string& path);
