// Tests that talk to the simulated card on COM3: the card back at its defaults and the registry
// naming COM3: as the card modem's port before each test, the port closed and the card and the
// registry put back after it. Skipped when the test tier runs no card.
#pragma once

#include "active_drivers.h"
#include "card_control.h"
#include "modem_link.h"

class CardOnCom3Test : public ::testing::Test {
  protected:
    void SetUp() override {
        if (!CardAvailable()) {
            GTEST_SKIP() << "no card simulator in this run";
        }
        ASSERT_TRUE(CardDoes("reset")) << "card not answering";
        ClearActiveDrivers();
        SET_ENTRY(L"05", L"Key", L"Drivers\\PCMCIA\\Modem");
        SET_ENTRY(L"05", L"Name", L"COM3:");
    }
    void TearDown() override {
        CloseModemPort();
        if (CardAvailable()) {
            CardControl("reset");
        }
        ClearActiveDrivers();
    }
};
