// Default card contents and the names control lines use for them.
#include "card_state.h"

#include "byte_text.h"

namespace {

const struct {
    StateField field;
    const char *name;
} FieldNames[] = {
    {StateField::Mode, "mode"}, {StateField::Level0, "level0"}, {StateField::Level2, "level2"},
    {StateField::Psid, "psid"}, {StateField::Phone, "phone"},   {StateField::Info3, "i3"},
    {StateField::Info4, "i4"},  {StateField::Info5, "i5"},
};

std::string Cp932(const char *utf8) {
    std::string bytes;
    (void)Utf8ToCp932(utf8, &bytes); // fixed texts below are all in code page 932
    return bytes;
}

} // namespace

CardState DefaultCardState() {
    CardState state;
    state.mode = "0";
    state.level0 = "4";
    state.level2 = "2";
    state.psid = "00F3A9C1B207";
    state.phone = "07012345678";
    state.info3 = Cp932("PHS データ通信カード");
    state.info4 = Cp932("ファームウェア Ver 1.02");
    state.info5 = Cp932("製造番号 0001234");
    return state;
}

const char *StateFieldName(StateField field) {
    for (const auto &entry : FieldNames)
        if (entry.field == field)
            return entry.name;
    return "?";
}

bool StateFieldByName(const std::string &name, StateField *field) {
    for (const auto &entry : FieldNames) {
        if (name == entry.name) {
            *field = entry.field;
            return true;
        }
    }
    return false;
}

std::string *FieldOf(CardState *state, StateField field) {
    switch (field) {
    case StateField::Mode:
        return &state->mode;
    case StateField::Level0:
        return &state->level0;
    case StateField::Level2:
        return &state->level2;
    case StateField::Psid:
        return &state->psid;
    case StateField::Phone:
        return &state->phone;
    case StateField::Info3:
        return &state->info3;
    case StateField::Info4:
        return &state->info4;
    case StateField::Info5:
        return &state->info5;
    }
    return &state->mode;
}

const std::string &FieldOf(const CardState &state, StateField field) {
    return *FieldOf(const_cast<CardState *>(&state), field);
}

bool FieldValueValid(StateField field, const std::string &value) {
    switch (field) {
    case StateField::Mode:
        return value.size() == 1 &&
               ((value[0] >= '0' && value[0] <= '9') || value[0] == 'A' || value[0] == 'a');
    case StateField::Level0:
    case StateField::Level2:
        return value.size() == 1 && value[0] >= '0' && value[0] <= '9';
    default:
        return true;
    }
}
