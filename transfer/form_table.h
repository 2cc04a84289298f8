// The plug-in's form table: the dialogs that the host's form engine builds and runs from our bytes
// (ui_form_run), and the form and item codes the plug-in exchanges with the engine.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace form {

// Form ids (the item code of each form's header item).
inline constexpr std::int32_t kSalesAnalysis = 1000;  // held in the table, never run
inline constexpr std::int32_t kProcessing = 1001;     // held in the table, never run
inline constexpr std::int32_t kMmList = 1002;         // the MM documents, marked with Insert
inline constexpr std::int32_t kDateRange = 1003;      // the range of issue dates

// Codes, read as signed 16-bit values.
inline constexpr std::int16_t kAccepted = 0x5001;   // the OK buttons: the form was accepted
inline constexpr std::int16_t kList = 0x4001;       // the list of form 1002
inline constexpr std::int16_t kInsertKey = 0x5200;  // the Insert key and the INSERT button of form 1002

}  // namespace form

// The size word (the number of bytes after it, 937) and the form records 1000, 1001, 1003 and 1002.
inline constexpr std::size_t kFormTableSize = 941;

// Constant data, built at compile time; the form engine gets the address of its size word.
extern const std::array<std::uint8_t, kFormTableSize> FormTable;
