// The signal poller's rules: answer characters of the mode and level queries, and the decision
// from mode and levels to picture and badge, including which level queries are made.
#include "wavemeter/signal_rules.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

struct AnswerCase {
    const char *line;
    int mode;
    int level;
};

// The first character of the line decides; the rest is ignored.
const AnswerCase AnswerCases[] = {
    {"0", 0, 0},    {"1", 1, 1},           {"2", 2, 2},    {"3", 3, 3},      {"4", 4, 4},
    {"5", 5, 5},    {"6", 6, 6},           {"7", 7, 7},    {"8", 8, 8},      {"9", 9, 9},
    {"a", 10, -1},  {"A", 10, -1},         {"b", -1, -1},  {"B", -1, -1},    {"", -1, -1},
    {" 2", -1, -1}, {"/", -1, -1}, // the characters around the digits
    {":", -1, -1},  {"`", -1, -1},         {"@", -1, -1},  {"OK", -1, -1},   {"ERROR", -1, -1},
    {"12", 1, 1},   {"1 more text", 1, 1}, {"a0", 10, -1}, {"\x80", -1, -1}, {"\xff", -1, -1},
};

TEST(SignalAnswers, FirstCharacterGivesModeAndLevel) {
    for (const AnswerCase &c : AnswerCases) {
        EXPECT_EQ(ModeFromAnswer(c.line), c.mode) << "line \"" << c.line << "\"";
        EXPECT_EQ(LevelFromAnswer(c.line), c.level) << "line \"" << c.line << "\"";
    }
}

// The level answers the fake card gives, and the services the decision asked for.
int PublicLevel;
int PrivateLevel;
std::vector<int> Asked;

int FakeQueryLevel(int service) {
    Asked.push_back(service);
    if (service == PublicService) {
        return PublicLevel;
    }
    if (service == PrivateService) {
        return PrivateLevel;
    }
    ADD_FAILURE() << "level asked for service " << service;
    return -1;
}

struct DecisionCase {
    const char *what;
    int mode;
    int publicLevel;
    int privateLevel;
    std::vector<int> asked;
    int picture;
    int badge;
};

const int U = -100; // a level that must not be asked for

const DecisionCase DecisionCases[] = {
    {"no mode answer", -1, U, U, {}, 9, -1},

    {"public, no level answer", 0, -1, U, {0}, 9, -1},
    {"public, out of area", 0, 0, U, {0}, 0, -1},
    {"public, antenna alone", 0, 1, U, {0}, 1, 0},
    {"public, 3 bars", 0, 4, U, {0}, 4, 0},
    {"public, 5 bars", 0, 6, U, {0}, 6, 0},
    {"public, level 7", 0, 7, U, {0}, 7, 0},
    {"public, level 8", 0, 8, U, {0}, 8, 0},
    {"public, level 9", 0, 9, U, {0}, 9, 0},

    {"private, no level answer", 2, U, -1, {2}, 9, -1},
    {"private, out of area", 2, U, 0, {2}, 0, -1},
    {"private, antenna alone", 2, U, 1, {2}, 1, 1},
    {"private, 2 bars", 2, U, 3, {2}, 3, 1},
    {"private, 5 bars", 2, U, 6, {2}, 6, 1},
    {"private, level 7", 2, U, 7, {2}, 7, 1},
    {"private, level 9", 2, U, 9, {2}, 9, 1},

    {"both, no public answer: private not asked", 10, -1, U, {0}, 9, -1},
    {"both, public level 3: private not asked", 10, 3, U, {0}, 3, 0},
    {"both, public level 1", 10, 1, U, {0}, 1, 0},
    {"both, public level 9", 10, 9, U, {0}, 9, 0},
    {"both, public out of area, private level 4", 10, 0, 4, {0, 2}, 4, 1},
    {"both, public out of area, private level 8", 10, 0, 8, {0, 2}, 8, 1},
    {"both, both out of area", 10, 0, 0, {0, 2}, 0, -1},
    {"both, public out of area, no private answer", 10, 0, -1, {0, 2}, 9, -1},

    {"transceiver 3", 3, U, U, {}, 7, -1},
    {"transceiver 4", 4, U, U, {}, 7, -1},

    {"mode 1", 1, U, U, {}, 9, -1},
    {"mode 5", 5, U, U, {}, 9, -1},
    {"mode 6", 6, U, U, {}, 9, -1},
    {"mode 7", 7, U, U, {}, 9, -1},
    {"mode 8", 8, U, U, {}, 9, -1},
    {"mode 9", 9, U, U, {}, 9, -1},

    // Levels come from one digit; anything else is no usable answer.
    {"public, level out of range", 0, 10, U, {0}, 9, -1},
    {"private, negative level other than -1", 2, U, -7, {2}, 9, -1},
    {"both, public level out of range", 10, 12, U, {0}, 9, -1},
    {"mode out of range", 11, U, U, {}, 9, -1},
};

TEST(SignalDecision, PictureBadgeAndLevelQueries) {
    for (const DecisionCase &c : DecisionCases) {
        PublicLevel = c.publicLevel;
        PrivateLevel = c.privateLevel;
        Asked.clear();
        SignalState state = DecideSignalState(c.mode, FakeQueryLevel);
        EXPECT_EQ(state.picture, c.picture) << c.what;
        EXPECT_EQ(state.badge, c.badge) << c.what;
        EXPECT_EQ(Asked, c.asked) << c.what;
    }
}

TEST(SignalDecision, OutOfAreaNeverHasABadge) {
    const int modes[] = {0, 2, 10};
    for (int mode : modes) {
        PublicLevel = 0;
        PrivateLevel = 0;
        Asked.clear();
        SignalState state = DecideSignalState(mode, FakeQueryLevel);
        EXPECT_EQ(state.picture, PictureOutOfArea) << "mode " << mode;
        EXPECT_EQ(state.badge, NoBadge) << "mode " << mode;
    }
}

// Every mode and pair of levels the queries can give leads to a picture among the ten and a
// badge that is public, private or none.
TEST(SignalDecision, AlwaysAPictureAmongTheTen) {
    for (int mode = -1; mode <= 10; ++mode) {
        for (int pub = -1; pub <= 9; ++pub) {
            for (int priv = -1; priv <= 9; ++priv) {
                PublicLevel = pub;
                PrivateLevel = priv;
                Asked.clear();
                SignalState state = DecideSignalState(mode, FakeQueryLevel);
                ASSERT_GE(state.picture, 0) << mode << " " << pub << " " << priv;
                ASSERT_LT(state.picture, SignalPictureCount) << mode << " " << pub << " " << priv;
                ASSERT_GE(state.badge, NoBadge) << mode << " " << pub << " " << priv;
                ASSERT_LE(state.badge, BadgePrivate) << mode << " " << pub << " " << priv;
                ASSERT_LE(Asked.size(), 2u);
            }
        }
    }
}

} // namespace
