// Transfer runs in the simulated host: MM documents and positions from a few values, the scripted user
// of the two forms, and readable views of what the run left behind.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "tests/plugin_fixture.h"

namespace kombrel_test {

inline simhost::MmPosition Position(std::string name, std::int16_t ref, std::int32_t quantity = 1,
                                    std::int32_t price = 1000) {
  simhost::MmPosition position;
  position.name = std::move(name);
  position.code = "K-" + std::to_string(ref);
  position.quantity = quantity;
  position.price_odd = price;  // the default price selector (1) takes this one
  position.price_even = price + 1;
  position.ref = ref;
  return position;
}

// `count` positions with the references first, first + 1, ...
inline std::vector<simhost::MmPosition> Positions(int count, std::int16_t first = 1) {
  std::vector<simhost::MmPosition> positions;
  for (int i = 0; i < count; ++i)
    positions.push_back(Position("P" + std::to_string(i), static_cast<std::int16_t>(first + i)));
  return positions;
}

inline simhost::MmDocument Document(std::string number, std::string date, std::int32_t doc_id,
                                    std::vector<simhost::MmPosition> positions = {}) {
  simhost::MmDocument document;
  document.number = std::move(number);
  document.issue_date = std::move(date);
  document.description = "Opis " + document.number;
  document.dest_warehouse = "MAG2";
  document.doc_id = doc_id;
  document.positions = std::move(positions);
  return document;
}

// The user enters the dates, presses Insert at `inserts` and accepts (or leaves) the list.
inline simhost::FormScript Pick(std::vector<std::int32_t> inserts, bool accept = true,
                                std::string from = "20240101", std::string to = "20241231") {
  simhost::FormScript script;
  script.dates = std::make_pair(std::move(from), std::move(to));
  script.inserts = std::move(inserts);
  script.accept = accept;
  return script;
}

// The user leaves the date form.
inline simhost::FormScript LeaveDates() {
  return simhost::FormScript{};
}

class TransferTest : public PluginTest {
 protected:
  // Raises event 235, as Ctrl+5 in a sales document does. The first one opens what RunCount counts.
  std::optional<std::int32_t> Transfer(const simhost::EventParameters& parameters = {}) {
    if (!runs_started_) {
      first_run_call_ = host().calls.size();
      runs_started_ = true;
    }
    return host().RaiseEvent(235, parameters);
  }
  // The calls since the first transfer whose text starts with `prefix`: the load check's are not counted.
  int RunCount(const std::string& prefix) {
    int n = 0;
    for (std::size_t i = runs_started_ ? first_run_call_ : host().calls.size(); i < host().calls.size(); ++i)
      n += host().calls[i].rfind(prefix, 0) == 0 ? 1 : 0;
    return n;
  }
  // Every message as "title|text|flags", in UTF-8.
  std::vector<std::string> Messages() {
    std::vector<std::string> seen;
    for (const simhost::Message& message : host().messages)
      seen.push_back(Utf8(message.title) + "|" + Utf8(message.text) + "|" + std::to_string(message.flags));
    return seen;
  }
  // The journal from call `first` on.
  std::vector<std::string> CallsFrom(std::size_t first) {
    return std::vector<std::string>(host().calls.begin() + static_cast<std::ptrdiff_t>(first),
                                    host().calls.end());
  }
  const TsprDokRecord& Slot(int i) { return *host().slots.at(static_cast<std::size_t>(i)); }
  std::string SlotName(int i) { return Utf8(Slot(i).name); }
  bool SlotFree(int i) { return Slot(i).ref == 0 && Slot(i).used_mark == 0; }
  // The rows of the last display of form 1002, in UTF-8.
  std::vector<std::string> Rows() {
    std::vector<std::string> rows;
    for (const std::string& row : host().list_rows)
      rows.push_back(Utf8(row));
    return rows;
  }

 private:
  bool runs_started_ = false;
  std::size_t first_run_call_ = 0;
};

}  // namespace kombrel_test
