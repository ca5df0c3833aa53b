// Where the library finds the service's objects: the plain name first, then "Global\", and
// where it creates the mutexes that do not exist yet; and the load and the start that follow it.
#include "library_fixture.h"

#include <string>

#include "config/page_layout.h"
#include "platform/named_objects.h"
#include "trvzyn32.h"

namespace zyn::testing {
namespace {

using platform::kServiceRunning;
using platform::kServiceStopped;
using platform::ObjectNamespace;

class NamedObjects : public LibraryTest {
protected:
    void makeMutex(const std::string& name) { world().mutexes[name].name = name; }
    int handles(const std::string& name) {
        const fake::MutexObject* mutex = world().mutex(name);
        return mutex == nullptr ? 0 : mutex->handles;
    }
};

TEST_F(NamedObjects, SectionIsOpenedUnderThePlainNameFirst) {
    const struct {
        const char* what;
        bool plain, global;
        ObjectNamespace found;
    } cases[] = {
        {"plain only", true, false, ObjectNamespace::Plain},
        {"global only", false, true, ObjectNamespace::Global},
        {"both", true, true, ObjectNamespace::Plain},
        {"neither", false, false, ObjectNamespace::None},
    };
    for (const auto& row : cases) {
        SCOPED_TRACE(row.what);
        world().sections.clear();
        if (row.plain) world().createSection("X", 16);
        if (row.global) world().createSection("Global\\X", 16);
        ObjectNamespace found = ObjectNamespace::Global;
        platform::KernelHandle section(platform::openSectionWhereItIs("X", found));
        EXPECT_EQ(found, row.found);
        EXPECT_EQ(static_cast<bool>(section), row.found != ObjectNamespace::None);
    }
}

TEST_F(NamedObjects, MutexIsTakenWhereTheServiceKeepsIt) {
    const struct {
        const char* what;
        ObjectNamespace section;
        bool plainExists, globalExists, globalRefused;
        ObjectNamespace found;
    } cases[] = {
        {"plain section: created plain", ObjectNamespace::Plain, false, false, false, ObjectNamespace::Plain},
        {"no section: created plain", ObjectNamespace::None, false, false, false, ObjectNamespace::Plain},
        // Without a global section the rule is the one of old: the plain name, created or opened.
        {"no section, a global mutex: plain all the same", ObjectNamespace::None, false, true, false,
         ObjectNamespace::Plain},
        {"global section, plain mutex: the plain one", ObjectNamespace::Global, true, true, false,
         ObjectNamespace::Plain},
        {"global section, global mutex", ObjectNamespace::Global, false, true, false, ObjectNamespace::Global},
        {"global section, none: created global", ObjectNamespace::Global, false, false, false, ObjectNamespace::Global},
        {"global section, global creation refused: created plain", ObjectNamespace::Global, false, false, true,
         ObjectNamespace::Plain},
    };
    for (const auto& row : cases) {
        SCOPED_TRACE(row.what);
        world().mutexes.clear();
        world().refuseGlobalMutexCreation = row.globalRefused;
        if (row.plainExists) makeMutex("M");
        if (row.globalExists) makeMutex("Global\\M");
        ObjectNamespace found = ObjectNamespace::None;
        platform::KernelHandle mutex(platform::openServiceMutex("M", row.section, found));
        ASSERT_TRUE(mutex);
        EXPECT_EQ(found, row.found);
        EXPECT_EQ(handles(row.found == ObjectNamespace::Global ? "Global\\M" : "M"), 1);
        EXPECT_EQ(handles(row.found == ObjectNamespace::Global ? "M" : "Global\\M"), 0);
    }
}

// A service whose objects are global: the load finds its section there and takes the zyn.ini
// mutex and the exchange mutexes there too, creating nothing under the plain names.
TEST_F(NamedObjects, LoadWithAGlobalSectionUsesGlobalMutexes) {
    installService(kServiceRunning);
    world().writeIni("[EXCHANGE_DEFS]\n1 10 1 a b\n");
    world().createSection("Global\\ZYN_MAP_1", 600 * 1024);
    attach();
    EXPECT_EQ(state().sectionNamespace, ObjectNamespace::Global);
    EXPECT_EQ(state().iniMutexNamespace, ObjectNamespace::Global);
    EXPECT_NE(state().view.address(), nullptr);
    EXPECT_EQ(handles("Global\\__ZYN_INIFILE"), 1);
    EXPECT_EQ(handles("Global\\ZYN_MAP_1-00001"), 1);
    EXPECT_EQ(world().mutex("__ZYN_INIFILE"), nullptr);
    EXPECT_EQ(world().mutex("ZYN_MAP_1-00001"), nullptr);
}

// Loaded while the service was stopped, the library took the plain zyn.ini mutex; the start
// through the library finds the section under "Global\" and moves every mutex there.
TEST_F(NamedObjects, StartThatFindsAGlobalSectionMovesTheMutexesThere) {
    world().writeIni("[EXCHANGE_DEFS]\n1 10 1 a b\n");
    installService(kServiceStopped).onStart = [this] { world().createSection("Global\\ZYN_MAP_1", 600 * 1024); };
    attach();
    ASSERT_EQ(state().iniMutexNamespace, ObjectNamespace::Plain);
    ASSERT_EQ(ZYN_StartService(), ZYN_OK);
    EXPECT_EQ(state().sectionNamespace, ObjectNamespace::Global);
    EXPECT_EQ(state().iniMutexNamespace, ObjectNamespace::Global);
    EXPECT_EQ(handles("__ZYN_INIFILE"), 0) << "the plain mutex is let go";
    EXPECT_EQ(handles("Global\\__ZYN_INIFILE"), 1);
    EXPECT_EQ(handles("ZYN_MAP_1-00001"), 0);
    EXPECT_EQ(handles("Global\\ZYN_MAP_1-00001"), 1);
}

} // namespace
} // namespace zyn::testing
