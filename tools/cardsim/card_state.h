// What the card answers: service mode, reception levels and identity lines, as raw bytes.
#pragma once

#include <string>

struct CardState {
    std::string mode;   // AT@M?: one character, 0 public, 2 private, A both, 3/4 transceiver
    std::string level0; // AT#Q5:0: public reception level 0..9
    std::string level2; // AT#Q5:2: private reception level 0..9
    std::string psid;   // AT@Y
    std::string phone;  // ATI6
    std::string info3;  // ATI3, code page 932
    std::string info4;  // ATI4, code page 932
    std::string info5;  // ATI5, code page 932
};

enum class StateField { Mode, Level0, Level2, Psid, Phone, Info3, Info4, Info5 };

CardState DefaultCardState();

// Control-line names: mode, level0, level2, psid, phone, i3, i4, i5.
const char *StateFieldName(StateField field);
bool StateFieldByName(const std::string &name, StateField *field);

std::string *FieldOf(CardState *state, StateField field);
const std::string &FieldOf(const CardState &state, StateField field);

// Mode takes one of 0-9, A or a; levels take one digit. Other fields take anything.
// Raw bytes given as hex: bypass this check on purpose.
bool FieldValueValid(StateField field, const std::string &value);
