// config_editor_protocol.h - the commands of zyn_config_editor.exe, what it prints and its exit
// codes, and the definitions it writes, shared by the editor and the tests that start it.
//
//   add NUMBER SIZE THIRD PRODUCER DESTINATION FLAGS PVALUE ID
//                         ZYN_AddStaticExchange with that definition; prints the result code
//   delete NAME           ZYN_DeleteStaticExchange(NAME); prints the result code
//   change NUMBER SIZE THIRD PRODUCER DESTINATION FLAGS PVALUE ID
//                         ZYN_ChangeStaticExchangeParams; prints the result code
//   churn PRODUCER FIRST COUNT EVENT
//                         prints "ready", waits for the named event EVENT, then adds the churn
//                         definitions FIRST .. FIRST+COUNT-1 in order and, after each one at an
//                         odd index, deletes the one before it: the odd-index ones survive
//   alternate MODE COUNT  prints "ready", then makes COUNT rewrites, each taking zyn.ini from one
//                         of the two alternating contents to the other (MODE "change": the
//                         alternating definition changes size; MODE "add-delete": it is added
//                         or deleted); prints "done <milliseconds>" at the end
//
// A failed edit prints a line that says which and goes on (churn) or stops (alternate).
#pragma once

#include <cstdint>

namespace zyn::editor {

constexpr int kEditorOk = 0;         // every edit returned 3 (add, delete, change: the call was made)
constexpr int kEditorEditFailed = 1; // an edit of churn or alternate returned something else
constexpr int kEditorUsage = 2;      // bad arguments, or the library could not be loaded

constexpr char kReadyLine[] = "ready";
constexpr char kDoneWord[] = "done";

// The churn definitions: exchange number n with these fields, M and S set, so that each line
// carries every kind of option.
constexpr int32_t churnExchangeId(int32_t number) { return number + 1000; }
constexpr uint32_t churnSize(int32_t number) { return 4 + static_cast<uint32_t>(number % 100); }
constexpr int32_t churnPValue(int32_t number) { return 5500 + number % 33; }
constexpr int32_t kChurnThirdNumber = 3;
constexpr uint32_t kChurnFlags = 0x5;
constexpr char kChurnDestination[] = "GROUP";

// The alternating definition: exchange 9 of NODE9, of size kAlternatingSizeA or ...B.
constexpr int32_t kAlternatingNumber = 9;
constexpr char kAlternatingProducer[] = "NODE9";
constexpr char kAlternatingName[] = "exchange_9@NODE9";
constexpr uint32_t kAlternatingSizeA = 100;
constexpr uint32_t kAlternatingSizeB = 200;

} // namespace zyn::editor
