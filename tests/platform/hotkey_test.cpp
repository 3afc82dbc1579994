#include "platform/hotkey.h"

#include "platform/vberror.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

using platform::Hotkeys;
using platform::KeyCombo;

TEST(HotkeyTest, KeyTextsParseToFlagsAndCodes) {
    struct Case {
        const char16_t* text;
        uint32_t modifiers;
        int32_t key;
    };
    const Case cases[] = {
        {u"Ctrl+Alt,W", 3, 87},
        {u"Ctrl,A", 2, 65},
        {u"Alt,1", 1, 49},
        {u"Shift,Z", 4, 90},
        {u"Ctrl+Shift,K", 6, 75},
        {u"Ctrl+Alt+Shift,Q", 7, 81},
        {u"Shift+Alt,P", 5, 80},
        {u"-,W", 0, 87},
        {u"Alt+Ctrl,W", 0, 87},  // another order is not in the table
        {u"ctrl+alt,W", 0, 87},  // case matters
        {u"Ctrl+Alt,w", 3, 119}, // a lower-case letter is its own code (F8's)
        {u"Ctrl+Alt,Wx", 3, 87}, // only the first character of the key part
        {u"Ctrl,W,X", 2, 87},    // split at the first comma
        {u"65", 0, 65},           // no comma: the number is the key
        {u"112abc", 0, 112},
        {u"", 0, 0},
        {u"W", 0, 0},
    };
    for (const Case& c : cases) {
        const KeyCombo combo = platform::parseKeyText(QString::fromUtf16(c.text));
        EXPECT_EQ(combo.modifiers, c.modifiers) << QString::fromUtf16(c.text).toStdString();
        EXPECT_EQ(combo.key, c.key) << QString::fromUtf16(c.text).toStdString();
    }
}

// Records what the rules ask of the desktop; refuses grabs while `taken`.
struct FakeBackend : platform::HotkeyBackend {
    struct Grab {
        int32_t id;
        uint32_t modifiers;
        int32_t key;
    };
    std::vector<Grab>* grabs;
    std::vector<int32_t>* releases;
    std::function<void(int32_t)>* pressed;
    bool* taken;

    bool grab(int32_t id, uint32_t modifiers, int32_t key) override {
        if (*taken)
            return false;
        grabs->push_back({id, modifiers, key});
        return true;
    }
    void release(int32_t id) override { releases->push_back(id); }
    void setPressedHandler(std::function<void(int32_t)> handler) override { *pressed = std::move(handler); }
};

class HotkeysTest : public ::testing::Test {
protected:
    std::vector<FakeBackend::Grab> grabs;
    std::vector<int32_t> releases;
    std::function<void(int32_t)> pressed;
    bool taken = false;
    std::vector<int32_t> actions;
    Hotkeys keys{makeBackend()};

    std::unique_ptr<platform::HotkeyBackend> makeBackend() {
        auto backend = std::make_unique<FakeBackend>();
        backend->grabs = &grabs;
        backend->releases = &releases;
        backend->pressed = &pressed;
        backend->taken = &taken;
        return backend;
    }
    void SetUp() override {
        keys.setAction([this](int32_t id) { actions.push_back(id); });
    }
};

TEST_F(HotkeysTest, AddRegistersTheCombination) {
    EXPECT_TRUE(keys.set(1, QStringLiteral("Ctrl+Alt,W"), QStringLiteral("Add")));
    ASSERT_EQ(grabs.size(), 1u);
    EXPECT_EQ(grabs[0].id, 1);
    EXPECT_EQ(grabs[0].modifiers, 3u);
    EXPECT_EQ(grabs[0].key, 87);
    EXPECT_TRUE(keys.filterInstalled());
    EXPECT_TRUE(keys.isRegistered());
    pressed(1);
    EXPECT_EQ(actions, std::vector<int32_t>{1});
}

TEST_F(HotkeysTest, SecondAddIsRefusedAndTheFirstStays) {
    ASSERT_TRUE(keys.set(1, QStringLiteral("Ctrl+Alt,W"), QStringLiteral("Add")));
    EXPECT_FALSE(keys.set(1, QStringLiteral("Ctrl+Alt,W"), QStringLiteral("Add")));
    EXPECT_EQ(grabs.size(), 1u);
    EXPECT_TRUE(releases.empty());
    EXPECT_TRUE(keys.isRegistered());
    pressed(1);
    EXPECT_EQ(actions.size(), 1u); // one binding, one toggle
}

TEST_F(HotkeysTest, RefusedGrabLeavesTheFilterButNoKey) {
    taken = true;
    EXPECT_FALSE(keys.set(1, QStringLiteral("Ctrl+Alt,W"), QStringLiteral("Add")));
    EXPECT_TRUE(keys.filterInstalled());
    EXPECT_FALSE(keys.isRegistered());
    // Once free again, the next Add has it.
    taken = false;
    EXPECT_TRUE(keys.set(1, QStringLiteral("Ctrl+Alt,W"), QStringLiteral("Add")));
}

TEST_F(HotkeysTest, DelReleasesAndStopsTheAction) {
    ASSERT_TRUE(keys.set(1, QStringLiteral("Ctrl+Alt,W"), QStringLiteral("Add")));
    EXPECT_FALSE(keys.set(1, QString(), QStringLiteral("Del")));
    EXPECT_EQ(releases, std::vector<int32_t>{1});
    EXPECT_FALSE(keys.filterInstalled());
    EXPECT_FALSE(keys.isRegistered());
    pressed(1);
    EXPECT_TRUE(actions.empty());
    // And it can be had again.
    EXPECT_TRUE(keys.set(1, QStringLiteral("Ctrl+Alt,W"), QStringLiteral("Add")));
}

TEST(HotkeyTest, EmptyKeyPartIsARunTimeError) {
    for (const char16_t* text : {u"Ctrl,", u","}) {
        try {
            (void)platform::parseKeyText(QString::fromUtf16(text));
            ADD_FAILURE() << "no error for " << QString::fromUtf16(text).toStdString();
        } catch (const platform::VbError& e) {
            EXPECT_EQ(e.number, platform::kErrInvalidCall);
            EXPECT_FALSE(e.description.isEmpty());
        }
    }
}

TEST_F(HotkeysTest, BadKeyTextChangesNothing) {
    ASSERT_TRUE(keys.set(1, QStringLiteral("Ctrl+Alt,W"), QStringLiteral("Add")));
    EXPECT_THROW(keys.set(1, QStringLiteral("Ctrl,"), QStringLiteral("Del")), platform::VbError);
    EXPECT_TRUE(keys.isRegistered());
    EXPECT_TRUE(releases.empty());
}

TEST_F(HotkeysTest, DelWithoutKeyTouchesNothing) {
    EXPECT_FALSE(keys.set(1, QStringLiteral("Ctrl+Alt,W"), QStringLiteral("Del")));
    EXPECT_TRUE(releases.empty());
    EXPECT_FALSE(keys.filterInstalled());
    // A Del under another id leaves a registered key alone.
    ASSERT_TRUE(keys.set(1, QStringLiteral("Ctrl+Alt,W"), QStringLiteral("Add")));
    keys.set(2, QString(), QStringLiteral("Del"));
    EXPECT_TRUE(releases.empty());
    EXPECT_TRUE(keys.isRegistered());
}

TEST_F(HotkeysTest, UnknownActionRegistersNothing) {
    EXPECT_FALSE(keys.set(1, QStringLiteral("Ctrl+Alt,W"), QStringLiteral("add")));
    EXPECT_TRUE(grabs.empty());
    EXPECT_FALSE(keys.isRegistered());
}

TEST(RepeatFilterTest, OnlyTheFirstPressOfAHoldCounts) {
    struct Step {
        bool press;
        uint32_t time;
        bool counts; // for presses
    };
    struct Case {
        const char* name;
        std::vector<Step> steps;
    };
    const Case cases[] = {
        {"detectable repeat: presses only", {{true, 10, true}, {true, 40, false}, {true, 70, false}, {false, 90, false}, {true, 200, true}}},
        {"classic repeat: release and press share a time",
         {{true, 10, true}, {false, 40, false}, {true, 40, false}, {false, 70, false}, {true, 70, false}, {false, 95, false}, {true, 300, true}}},
        {"two real presses", {{true, 10, true}, {false, 20, false}, {true, 30, true}, {false, 40, false}}},
    };
    for (const Case& c : cases) {
        platform::RepeatFilter filter;
        for (size_t i = 0; i < c.steps.size(); ++i) {
            const Step& s = c.steps[i];
            if (s.press)
                EXPECT_EQ(filter.press(s.time), s.counts) << c.name << " step " << i;
            else
                filter.release(s.time);
        }
    }
}

} // namespace
