// The tuning-table sources: every key of the table, in its section, with the
// comment the authoring build writes, so loading and storing them changes
// nothing; the normal rule holds the authoring defaults, the slow rule slower
// speeds and gravities.
#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "shell/DBTextImport.h"
#include "shell/GlbConst.h"

namespace {

struct IniKey {
    std::string value;
    std::string comment;  // the comment line just before the key
};
// section -> key -> value; plus each section's comment line.
struct Ini {
    std::map<std::string, std::map<std::string, IniKey>> keys;
    std::map<std::string, std::string> sectionComment;
    bool crlf = true;
};

Ini ReadIni(const std::string& name) {
    std::ifstream f(std::string(QORV_SOURCE_DIR) + "/assets/" + name, std::ios::binary);
    std::stringstream s;
    s << f.rdbuf();
    Ini ini;
    std::string line, section, pending;
    std::istringstream in(s.str());
    while (std::getline(in, line)) {
        if (line.empty() || line.back() != '\r') ini.crlf = false;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.empty()) continue;
        if (line[0] == ';') {
            pending = line.substr(1);
        } else if (line[0] == '[') {
            section = line.substr(1, line.size() - 2);
            ini.sectionComment[section] = pending;
        } else {
            size_t eq = line.find('=');
            ini.keys[section][line.substr(0, eq)] = {line.substr(eq + 1), pending};
        }
    }
    return ini;
}

TEST(GameDataIni, EveryKeyIsPresentWithItsCommentAndNoOthers) {
    for (const char* name : {"db.ini", "db2.ini"}) {
        Ini ini = ReadIni(name);
        EXPECT_TRUE(ini.crlf) << name;
        size_t keys = 0;
        for (const CstFieldDesc& f : CstFields()) {
            const CstSectionDesc& sec = CstSections()[f.Section];
            auto k = ini.keys[sec.Name].find(f.Key);
            ASSERT_NE(k, ini.keys[sec.Name].end()) << name << " [" << sec.Name << "] " << f.Key;
            EXPECT_EQ(k->second.comment, f.Comment) << name << " " << f.Key;
            EXPECT_EQ(std::to_string(CsvInt(k->second.value)), k->second.value) << name << " " << f.Key;
            ++keys;
        }
        size_t inFile = 0;
        for (const auto& [section, ks] : ini.keys) inFile += ks.size();
        EXPECT_EQ(inFile, keys) << name;
        for (const CstSectionDesc& sec : CstSections())
            EXPECT_EQ(ini.sectionComment[sec.Name], std::string("\x81\x9F ") + sec.Comment + " \x81\x9F")
                << name << " " << sec.Name;  // "◆ comment ◆"
    }
}

int Value(Ini& ini, const CstFieldDesc& f) {
    return CsvInt(ini.keys[CstSections()[f.Section].Name][f.Key].value);
}

TEST(GameDataIni, NormalRuleHoldsTheDefaultsAndTheSlowRuleIsSlower) {
    Ini normal = ReadIni("db.ini"), slow = ReadIni("db2.ini");
    const CstDB defaults = CstDefaults();
    std::map<std::string, std::pair<int, int>> both;
    for (const CstFieldDesc& f : CstFields()) {
        EXPECT_EQ(Value(normal, f), CstGet(defaults, f)) << f.Key;
        both[std::string(CstSections()[f.Section].Name) + "." + f.Key] = {Value(normal, f), Value(slow, f)};
    }
    for (const char* key : {"DBJP.GRV", "DBJP.BY", "DBB.BWGRV", "DBDAM.FLYGRV", "DBPASS.PAGRV",
                            "DBPASS.PASPD", "DBPASS.JPASPD", "DBSHOOT.SHOOTMAG"})
        EXPECT_LT(both[key].second, both[key].first) << key;
    // The unit factor and the shot windows stay: timing does not change with the rule.
    for (const char* key : {"DBETC.FCTOSAIMAG", "DBSHOOT.DJHSFRM", "DBSHOOT.JNSFRM"})
        EXPECT_EQ(both[key].second, both[key].first) << key;
}

}  // namespace
