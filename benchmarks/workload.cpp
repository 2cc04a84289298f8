// The benchmarks' data, the merge as it must come out, and the bare loop over the same slots.
#include "benchmarks/workload.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <random>

namespace kombrel_bench {
namespace {

constexpr double kPriceTolerance = 0.00001;

// --- Dates ----------------------------------------------------------------------------------------

bool LeapYear(int year) {
  return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

// Every day of the years first to last as a stored date "YYYYMMDD", in order.
std::vector<std::string> Days(int first, int last) {
  static constexpr int kMonthDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  std::vector<std::string> days;
  for (int year = first; year <= last; ++year) {
    for (int month = 1; month <= 12; ++month) {
      const int length = kMonthDays[month - 1] + (month == 2 && LeapYear(year) ? 1 : 0);
      for (int day = 1; day <= length; ++day) {
        char text[32];
        std::snprintf(text, sizeof text, "%04d%02d%02d", year, month, day);
        days.emplace_back(text);
      }
    }
  }
  return days;
}

// `count` dates spread evenly over `days`, in order.
void SpreadOver(const std::vector<std::string>& days, std::int32_t count, std::vector<std::string>& out) {
  for (std::int32_t i = 0; i < count; ++i)
    out.push_back(days[static_cast<std::size_t>(i) * days.size() / static_cast<std::size_t>(count)]);
}

// --- Goods and MM documents -----------------------------------------------------------------------

const char* const kGoodsNames[] = {"Śruba", "Nakrętka", "Podkładka", "Łożysko",  "Przewód",   "Farba",
                                   "Klej",  "Taśma",    "Złączka",   "Kątownik", "Uszczelka", "Żarówka"};
const char* const kUnits[] = {"szt", "szt", "szt", "kg", "m", "opak"};

struct Goods {
  std::int16_t ref;
  std::int32_t cents;  // its usual price
  std::string name;    // UTF-8
  std::string code;
  std::string unit;
};

struct Line {
  std::int32_t goods;
  std::int16_t attribute;
  std::int32_t cents;
  std::int32_t quantity;
};

struct Document {
  std::string number;
  std::int16_t warehouse;
  std::vector<Line> lines;
};

class Generator {
 public:
  explicit Generator(std::uint32_t seed) : random_(seed) {
    constexpr int kGoods = 3000;
    std::lognormal_distribution<double> price(std::log(2000.0), 1.2);  // cents; a median of 20.00
    for (int i = 0; i < kGoods; ++i) {
      Goods goods;
      goods.ref = static_cast<std::int16_t>(i + 1);
      goods.cents = std::clamp(static_cast<std::int32_t>(price(random_)), 1, 5'000'000);
      goods.name = std::string(kGoodsNames[i % std::size(kGoodsNames)]) + " typ " + std::to_string(i / 12) +
                   " nr kat. " + std::to_string(100000 + i);
      goods.code = "T" + std::to_string(10000 + i);
      goods.unit = kUnits[i % std::size(kUnits)];
      goods_.push_back(std::move(goods));
    }
  }

  const Goods& goods(std::int32_t i) const { return goods_[static_cast<std::size_t>(i)]; }
  std::mt19937& random() { return random_; }
  int Uniform(int low, int high) { return std::uniform_int_distribution<int>(low, high)(random_); }
  bool Chance(double p) { return std::bernoulli_distribution(p)(random_); }

  // A new MM document of `length` lines with distinct keys: most lines with attribute 0, goods of uneven
  // popularity, mostly at their usual price.
  Document NewDocument(int length) {
    static constexpr std::int16_t kWarehouses[] = {1, 1, 1, 1, 1, 1, 2, 2, 2, 3, 3, 12};
    Document document;
    char number[32];
    std::snprintf(number, sizeof number, "MM/%05d/24", ++serial_);
    document.number = number;
    document.warehouse = kWarehouses[Uniform(0, std::size(kWarehouses) - 1)];
    while (static_cast<int>(document.lines.size()) < length) {
      Line line;
      const double u = std::uniform_real_distribution<double>(0, 1)(random_);
      line.goods = std::min(static_cast<std::int32_t>(goods_.size() * u * u * u),
                            static_cast<std::int32_t>(goods_.size()) - 1);
      line.attribute = Chance(0.95) ? 0 : static_cast<std::int16_t>(Uniform(1, 3));
      line.cents = goods(line.goods).cents;
      if (Chance(0.15))
        line.cents =
            std::max(1, static_cast<std::int32_t>(line.cents * (0.8 + 0.4 * Uniform(0, 100) / 100.0)));
      line.quantity = Uniform(1, 50);
      const bool repeated = std::any_of(document.lines.begin(), document.lines.end(), [&](const Line& other) {
        return goods(other.goods).ref == goods(line.goods).ref && other.attribute == line.attribute &&
               other.cents == line.cents;
      });
      if (!repeated) document.lines.push_back(line);
    }
    return document;
  }

 private:
  std::mt19937 random_;
  std::vector<Goods> goods_;
  int serial_ = 0;
};

template <std::size_t N>
void Store(char (&field)[N], const std::string& utf8_text, std::size_t most) {
  // Cut as the plug-in cuts, to `most` characters and a terminator; Mazovia is one byte per character.
  char text[N] = {};
  simhost::StoreText(text, utf8_text);
  std::memset(field, 0, N);
  std::memcpy(field, text, std::min(most, strnlen(text, N)));
}

CollectedPosition Collected(const Generator& generator, const Document& document, const Line& line) {
  const Goods& goods = generator.goods(line.goods);
  CollectedPosition position{};
  Store(position.name, goods.name, 120);
  Store(position.code, goods.code, 16);
  position.quantity = line.quantity;
  Store(position.unit, goods.unit, 5);
  position.price = line.cents / 100.0;  // as the host's num_scale gives it
  position.attribute = line.attribute;
  position.ref = goods.ref;
  position.warehouse = document.warehouse;
  Store(position.mm_number, document.number, 14);
  return position;
}

// What a transfer leaves in a slot for a collected position (the fields the plug-in writes) and what the
// host adds to it (the line value).
void FillSlot(TsprDokRecord& slot, const CollectedPosition& position, std::int32_t run_index) {
  std::memcpy(slot.name, position.name, sizeof position.name);
  std::memcpy(slot.code, position.code, sizeof position.code);
  std::memcpy(slot.unit, position.unit, sizeof position.unit);
  std::memcpy(slot.mm_number, position.mm_number, sizeof position.mm_number);
  slot.quantity = position.quantity;
  slot.attribute = position.attribute;
  slot.price = position.price;
  std::snprintf(slot.warehouse_label, sizeof slot.warehouse_label, "M%d", position.warehouse);
  slot.ref = position.ref;
  slot.warehouse = position.warehouse;
  slot.run_index = static_cast<std::int16_t>(run_index);
}

bool Equal(const TsprDokRecord& slot, const CollectedPosition& position, int& depth) {
  depth = 1;
  if (slot.attribute != position.attribute) return false;
  depth = 2;
  const double difference = slot.price - position.price;
  if (!(difference > -kPriceTolerance && difference < kPriceTolerance)) return false;
  depth = 3;
  if (slot.ref != position.ref) return false;
  depth = 4;
  if (slot.warehouse != position.warehouse) return false;
  depth = 5;
  return std::strncmp(slot.mm_number, position.mm_number, sizeof position.mm_number) == 0;
}

}  // namespace

// --- Selection and collection ---------------------------------------------------------------------

SelectionData MakeSelection(std::int32_t count, bool shuffled) {
  std::vector<std::string> dates;
  const std::int32_t listed = count / 10;
  const std::int32_t before = (count - listed) / 2;
  SpreadOver(Days(2015, 2019), before, dates);
  SpreadOver(Days(2020, 2020), listed, dates);
  SpreadOver(Days(2021, 2024), count - listed - before, dates);

  std::mt19937 random(58);
  SelectionData data;
  data.listed = listed;
  for (std::int32_t i = 0; i < count; ++i) {
    simhost::MmDocument document;
    char number[16];
    std::snprintf(number, sizeof number, "MM/%06d", i + 1);
    document.number = number;
    document.dest_warehouse = "MAG" + std::to_string(2 + i % 5);
    document.issue_date = dates[static_cast<std::size_t>(i)];
    document.description = "Przesunięcie towaru do magazynu " + document.dest_warehouse + ", zlecenie " +
                           std::to_string(70000 + i % 9000);
    document.purchase_value = std::uniform_int_distribution<int>(10'000, 500'000'000)(random);
    document.warehouse = static_cast<std::int16_t>(1 + i % 4);
    document.aux_id = 1;
    document.doc_id = i + 1;
    data.documents.push_back(std::move(document));
  }
  if (shuffled) std::shuffle(data.documents.begin(), data.documents.end(), random);
  return data;
}

std::vector<simhost::MmDocument> MakeCollection(std::int32_t documents, std::int32_t positions) {
  Generator generator(67);
  std::vector<simhost::MmDocument> made;
  for (std::int32_t d = 0; d < documents; ++d) {
    simhost::MmDocument document;
    document.number = "MM/" + std::to_string(500 + d) + "/20";
    document.dest_warehouse = "MAG2";
    document.issue_date = "202006" + std::to_string(10 + d);
    document.description = "Przesunięcie do sklepu";
    document.doc_id = d + 1;
    for (std::int32_t i = 0; i < positions; ++i) {
      const Goods& goods = generator.goods(generator.Uniform(0, 2999));
      simhost::MmPosition position;
      position.name = goods.name;
      position.code = goods.code;
      position.quantity = generator.Uniform(1, 50);
      position.unit = goods.unit;
      position.price_odd = goods.cents;
      position.price_even = goods.cents + 1;
      position.attribute = generator.Chance(0.95) ? 0 : 1;
      position.ref = goods.ref;
      document.positions.push_back(std::move(position));
    }
    made.push_back(std::move(document));
  }
  return made;
}

// --- Merge and insertion --------------------------------------------------------------------------

MergeData MakeMerge(const MergeCase& sizes) {
  Generator generator(static_cast<std::uint32_t>(sizes.slots));
  MergeData data;
  data.sizes = sizes;
  data.document.assign(static_cast<std::size_t>(sizes.slots), TsprDokRecord{});

  // The document: the positions of earlier transfers, from slot 0 on.
  struct Earlier {
    Document document;
    std::int32_t lines_in_slots;
  };
  std::vector<Earlier> earlier;
  std::int32_t slot = 0;
  while (slot < sizes.used) {
    Earlier made{generator.NewDocument(generator.Uniform(5, 60)), 0};
    for (const Line& line : made.document.lines) {
      if (slot == sizes.used) break;
      TsprDokRecord& record = data.document[static_cast<std::size_t>(slot)];
      FillSlot(record, Collected(generator, made.document, line), slot % 300);
      record.quantity = generator.Uniform(1, 200);
      const double value = record.quantity * record.price;
      std::memcpy(record.host_2, &value, sizeof value);
      ++made.lines_in_slots;
      ++slot;
    }
    earlier.push_back(std::move(made));
  }

  // The run: a tenth of the merging positions are repeated lines of new MM documents, the rest come from
  // MM documents transferred once more.
  const std::int32_t repeated = sizes.merging / 10;
  std::vector<Document> run;
  std::shuffle(earlier.begin(), earlier.end(), generator.random());
  std::int32_t again = sizes.merging - repeated;
  for (Earlier& made : earlier) {
    if (again == 0) break;
    Document document = made.document;
    document.lines.resize(static_cast<std::size_t>(std::min(made.lines_in_slots, again)));
    for (Line& line : document.lines)
      line.quantity = generator.Uniform(1, 50);
    again -= static_cast<std::int32_t>(document.lines.size());
    run.push_back(std::move(document));
  }
  const std::size_t first_new = run.size();
  for (std::int32_t fresh = sizes.positions - sizes.merging; fresh > 0;) {
    run.push_back(generator.NewDocument(std::min(fresh, generator.Uniform(5, 60))));
    fresh -= static_cast<std::int32_t>(run.back().lines.size());
  }
  for (std::int32_t r = 0; r < repeated; ++r) {
    Document& document = run[first_new + static_cast<std::size_t>(generator.Uniform(
                                             0, static_cast<int>(run.size() - first_new) - 1))];
    const int original = generator.Uniform(0, static_cast<int>(document.lines.size()) - 1);
    Line line = document.lines[static_cast<std::size_t>(original)];
    line.quantity = generator.Uniform(1, 50);
    const int at = generator.Uniform(original + 1, static_cast<int>(document.lines.size()));
    document.lines.insert(document.lines.begin() + at, line);
  }
  std::shuffle(run.begin(), run.end(), generator.random());
  for (const Document& document : run) {
    for (const Line& line : document.lines)
      data.collected.push_back(Collected(generator, document, line));
  }

  ComputeExpected(data);
  return data;
}

void ComputeExpected(MergeData& data) {
  data.expected = data.document;
  const std::size_t count = data.collected.size();
  data.merge_pass.assign(count, 0);
  data.free_pass.assign(count, 0);
  data.merges = 0;
  data.merge_tests = data.free_tests = 0;
  data.depths = {};
  data.last_inserted = -1;
  std::vector<TsprDokRecord>& slots = data.expected;
  const std::int32_t slot_count = static_cast<std::int32_t>(slots.size());

  for (std::size_t i = 0; i < count; ++i) {
    const CollectedPosition& position = data.collected[i];
    std::int32_t tested = 0;
    bool merged = false;
    for (std::int32_t s = 0; s < slot_count && !merged; ++s) {
      TsprDokRecord& slot = slots[static_cast<std::size_t>(s)];
      int depth = 0;
      ++tested;
      const bool equal = Equal(slot, position, depth);
      ++data.depths.stopped_at[depth];
      const std::int64_t sum = static_cast<std::int64_t>(slot.quantity) + position.quantity;
      if (equal && sum >= INT32_MIN && sum <= INT32_MAX) {
        slot.quantity = static_cast<std::int32_t>(sum);
        merged = true;
      }
    }
    data.merge_pass[i] = tested;
    data.merge_tests += static_cast<std::uint64_t>(tested);
    if (merged) {
      ++data.merges;
      continue;
    }
    std::int32_t free_slot = 0;
    while (free_slot < slot_count && !(slots[static_cast<std::size_t>(free_slot)].ref == 0 &&
                                       slots[static_cast<std::size_t>(free_slot)].used_mark == 0))
      ++free_slot;
    data.free_pass[i] = std::min(free_slot + 1, slot_count);
    data.free_tests += static_cast<std::uint64_t>(data.free_pass[i]);
    if (free_slot == slot_count) break;  // the document is full: the rest is dropped
    FillSlot(slots[static_cast<std::size_t>(free_slot)], position, static_cast<std::int32_t>(i));
    data.last_inserted = free_slot;
  }
}

std::string CompareDocument(const MergeData& data, TsprDokRecord* const* slots) {
  std::string differences;
  int reported = 0;
  for (std::size_t s = 0; s < data.expected.size() && reported < 5; ++s) {
    const TsprDokRecord& want = data.expected[s];
    const TsprDokRecord& got = *slots[s];
    const bool same =
        got.ref == want.ref && got.used_mark == want.used_mark && got.attribute == want.attribute &&
        std::memcmp(&got.price, &want.price, sizeof got.price) == 0 && got.warehouse == want.warehouse &&
        got.quantity == want.quantity && got.run_index == want.run_index &&
        std::strncmp(got.mm_number, want.mm_number, sizeof got.mm_number) == 0 &&
        std::strncmp(got.name, want.name, sizeof got.name) == 0 &&
        std::strncmp(got.code, want.code, sizeof got.code) == 0 &&
        std::strncmp(got.warehouse_label, want.warehouse_label, sizeof got.warehouse_label) == 0;
    if (same) continue;
    differences += "slot " + std::to_string(s) + ": ref " + std::to_string(got.ref) + " quantity " +
                   std::to_string(got.quantity) + " run index " + std::to_string(got.run_index) +
                   ", expected ref " + std::to_string(want.ref) + " quantity " +
                   std::to_string(want.quantity) + " run index " + std::to_string(want.run_index) + "; ";
    ++reported;
  }
  return differences;
}

std::uint64_t BareLoop(const MergeData& data, TsprDokRecord* const* slots) {
  std::uint64_t sum = 0;
  const std::size_t count = data.merge_pass.size();
  for (std::size_t i = 0; i < count; ++i) {
    const std::int32_t merge_pass = data.merge_pass[i];
    for (std::int32_t s = 0; s < merge_pass; ++s) {
      const TsprDokRecord* slot = slots[s];
      std::uint64_t price_bits;
      std::memcpy(&price_bits, &slot->price, sizeof price_bits);
      sum += static_cast<std::uint16_t>(slot->attribute) + price_bits;
    }
    const std::int32_t free_pass = data.free_pass[i];
    for (std::int32_t s = 0; s < free_pass; ++s)
      sum += static_cast<std::uint16_t>(slots[s]->ref);
  }
  return sum;
}

}  // namespace kombrel_bench
