// The host's table records that the plug-in reads and writes, in the host's packed layouts.
//
// Only the fields the plug-in uses are named; the bytes between them belong to the host. Every size and
// every named offset is checked at compile time, so a record is never touched with a layout that differs
// from the one the host's tables were verified against at load.
#pragma once

#include <cstddef>
#include <cstdint>

// The host's tables that the plug-in uses, by the number od_table takes.
inline constexpr std::int32_t kSalesHeaderTable = 44;  // "Tspr", TsprRecord
inline constexpr std::int32_t kPositionTable = 45;     // "Tspr_dok", TsprDokRecord
inline constexpr std::int32_t kMmTable = 58;           // "Mm", MmRecord
inline constexpr std::int32_t kMmPositionTable = 67;   // "Mm_dok", MmDokRecord

#pragma pack(push, 1)

// Table 44 "Tspr": the header of a sales document, 984 bytes.
struct TsprRecord {
  std::uint8_t host_0[219];
  std::int16_t price_selector;  // 219  odd: the MM position's price at 172, even: at 176
  std::uint8_t host_1[763];
};

// Table 45 "Tspr_dok": one position of a sales document, 298 bytes.
struct TsprDokRecord {
  std::uint8_t host_0[2];
  char name[121];            //   2  up to 120 characters
  char code[17];             // 123  up to 16 characters
  std::int32_t quantity;     // 140
  char unit[22];             // 144  up to 5 characters written
  std::int16_t attribute;    // 166  the MM position's attribute; merge key
  std::uint8_t host_1[20];   // 168
  char warehouse_label[12];  // 188  "M" and the warehouse number, up to 8 bytes written
  std::int16_t used_mark;    // 200  with `ref`: a slot is free when both are 0
  double price;              // 202  unit price; merge key, compared with a tolerance
  std::uint8_t host_2[32];   // 210
  char mm_number[50];        // 242  the MM document's number, up to 14 characters written
  std::int16_t warehouse;    // 292  merge key
  std::int16_t ref;          // 294  the MM position's reference; non-zero in every used slot
  std::int16_t run_index;    // 296  index of the collected position within its transfer run
};

// Table 58 "Mm": the header of an MM document, 526 bytes.
struct MmRecord {
  std::uint8_t host_0[2];
  char number[17];           //   2  MM document number
  char aux_text[17];         //  19  a further text of the document, not interpreted
  char dest_warehouse[17];   //  36  destination warehouse
  char issue_date[9];        //  53  stored date: 8 characters and NUL
  char description[223];     //  62  up to its NUL, at most up to the purchase value
  double purchase_value;     // 285  gross, in ten-thousandths of the currency unit
  std::uint8_t host_1[217];  // 293
  std::int16_t aux_number;   // 510  a number of the document, not interpreted
  std::int16_t warehouse;    // 512  the warehouse the document's positions take
  std::uint8_t host_2[4];    // 514
  std::int32_t aux_id;       // 518  must be non-zero for the document to be listed
  std::int32_t doc_id;       // 522  must be non-zero; key of index 125 of table 67
};

// Table 67 "Mm_dok": one position of an MM document, 350 bytes.
struct MmDokRecord {
  std::uint8_t host_0[2];
  char name[121];            //   2  up to 120 characters
  char code[17];             // 123  up to 16 characters
  std::int32_t quantity;     // 140
  char unit[28];             // 144  its first 5 characters are taken
  std::int32_t price_odd;    // 172  the price for an odd price selector
  std::int32_t price_even;   // 176  the price for an even price selector
  std::int16_t attribute;    // 180
  std::uint8_t host_1[162];  // 182
  std::int16_t ref;          // 344  reference number; 0 marks an empty position
  std::uint8_t host_2[4];    // 346
};

#pragma pack(pop)

static_assert(sizeof(TsprRecord) == 984);
static_assert(offsetof(TsprRecord, price_selector) == 219);

static_assert(sizeof(TsprDokRecord) == 298);
static_assert(offsetof(TsprDokRecord, name) == 2);
static_assert(offsetof(TsprDokRecord, code) == 123);
static_assert(offsetof(TsprDokRecord, quantity) == 140);
static_assert(offsetof(TsprDokRecord, unit) == 144);
static_assert(offsetof(TsprDokRecord, attribute) == 166);
static_assert(offsetof(TsprDokRecord, warehouse_label) == 188);
static_assert(offsetof(TsprDokRecord, used_mark) == 200);
static_assert(offsetof(TsprDokRecord, price) == 202);
static_assert(offsetof(TsprDokRecord, mm_number) == 242);
static_assert(offsetof(TsprDokRecord, warehouse) == 292);
static_assert(offsetof(TsprDokRecord, ref) == 294);
static_assert(offsetof(TsprDokRecord, run_index) == 296);

static_assert(sizeof(MmRecord) == 526);
static_assert(offsetof(MmRecord, number) == 2);
static_assert(offsetof(MmRecord, aux_text) == 19);
static_assert(offsetof(MmRecord, dest_warehouse) == 36);
static_assert(offsetof(MmRecord, issue_date) == 53);
static_assert(offsetof(MmRecord, description) == 62);
static_assert(offsetof(MmRecord, purchase_value) == 285);
static_assert(offsetof(MmRecord, aux_number) == 510);
static_assert(offsetof(MmRecord, warehouse) == 512);
static_assert(offsetof(MmRecord, aux_id) == 518);
static_assert(offsetof(MmRecord, doc_id) == 522);

static_assert(sizeof(MmDokRecord) == 350);
static_assert(offsetof(MmDokRecord, name) == 2);
static_assert(offsetof(MmDokRecord, code) == 123);
static_assert(offsetof(MmDokRecord, quantity) == 140);
static_assert(offsetof(MmDokRecord, unit) == 144);
static_assert(offsetof(MmDokRecord, price_odd) == 172);
static_assert(offsetof(MmDokRecord, price_even) == 176);
static_assert(offsetof(MmDokRecord, attribute) == 180);
static_assert(offsetof(MmDokRecord, ref) == 344);
