// The type library source must describe exactly the interface the method
// table dispatches: same DISPIDs, names, parameters and types.

#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <regex>
#include <set>
#include <sstream>
#include <string>

#include "control/method_table.h"

namespace kestrova {
namespace {

std::string ReadIdl() {
    std::ifstream file(KESTROVA_IDL_PATH);
    std::stringstream text;
    text << file.rdbuf();
    return text.str();
}

// The text between "{" after the given declaration and its matching "}".
std::string BodyOf(const std::string& idl, const std::string& declaration) {
    const std::size_t start = idl.find(declaration);
    if (start == std::string::npos) {
        return {};
    }
    std::size_t open = idl.find('{', start);
    int depth = 0;
    for (std::size_t i = open; i < idl.size(); ++i) {
        depth += idl[i] == '{' ? 1 : idl[i] == '}' ? -1 : 0;
        if (depth == 0) {
            return idl.substr(open + 1, i - open - 1);
        }
    }
    return {};
}

// The attribute block "[ ... ]" just before a declaration.
std::string AttributesOf(const std::string& idl, const std::string& declaration) {
    const std::size_t at = idl.find(declaration);
    const std::size_t close = idl.rfind(']', at);
    const std::size_t open = idl.rfind('[', close);
    return at == std::string::npos ? std::string() : idl.substr(open, close - open + 1);
}

std::string TypeText(AutomationType type) {
    return std::string(TypeName(type));
}

struct IdlMethod {
    std::string returnType;
    std::string name;
    std::string parameters;  // "long a, BSTR b", spaces as written
};

std::map<int, IdlMethod> ParseMethods(const std::string& body) {
    std::map<int, IdlMethod> methods;
    const std::regex method(R"(\[id\((\d+)\)\]\s*(\w+)\s+(\w+)\s*\(([^)]*)\)\s*;)");
    for (std::sregex_iterator it(body.begin(), body.end(), method), end; it != end; ++it) {
        const int dispid = std::stoi((*it)[1]);
        EXPECT_EQ(methods.count(dispid), 0U) << "DISPID " << dispid << " twice";
        methods[dispid] = {(*it)[2], (*it)[3],
                           std::regex_replace(std::string((*it)[4]), std::regex(R"(\s+)"), " ")};
    }
    return methods;
}

TEST(IdlTest, DispatchInterfaceAgreesWithTheMethodTable) {
    const std::string idl = ReadIdl();
    ASSERT_FALSE(idl.empty()) << "cannot read " << KESTROVA_IDL_PATH;
    const std::map<int, IdlMethod> idlMethods =
        ParseMethods(BodyOf(idl, "dispinterface _DKestrova\n"));
    ASSERT_EQ(idlMethods.size(), MethodTable().size());
    for (const MethodInfo& method : MethodTable()) {
        SCOPED_TRACE(std::string(method.name));
        const auto found = idlMethods.find(method.dispid);
        ASSERT_NE(found, idlMethods.end());
        EXPECT_EQ(found->second.name, method.name);
        EXPECT_EQ(found->second.returnType, TypeText(method.returnType));
        std::string parameters;
        for (const ParameterInfo& parameter : method.Parameters()) {
            parameters += (parameters.empty() ? "" : ", ") + TypeText(parameter.type) + " " +
                          std::string(parameter.name);
        }
        EXPECT_EQ(found->second.parameters, parameters);
    }
}

TEST(IdlTest, LibraryEventsAndCoclassAreDeclared) {
    const std::string idl = ReadIdl();
    const std::string library = AttributesOf(idl, "library KESTROVALib");
    EXPECT_NE(library.find("version(1.0)"), std::string::npos);
    EXPECT_NE(library.find("lcid(0x0409)"), std::string::npos);
    EXPECT_NE(library.find("control"), std::string::npos);
    EXPECT_NE(library.find("helpstring(\"Kestrova ActiveX Control module\")"), std::string::npos);

    const std::string dispatch = AttributesOf(idl, "dispinterface _DKestrova\n");
    EXPECT_NE(dispatch.find("hidden"), std::string::npos);
    EXPECT_NE(dispatch.find("helpstring(\"Dispatch interface for Kestrova Control\")"),
              std::string::npos);

    EXPECT_NE(AttributesOf(idl, "dispinterface _DKestrovaEvents")
                  .find("helpstring(\"Event interface for Kestrova Control\")"),
              std::string::npos);
    EXPECT_TRUE(ParseMethods(BodyOf(idl, "dispinterface _DKestrovaEvents")).empty());

    const std::string coclass = AttributesOf(idl, "coclass Kestrova");
    EXPECT_NE(coclass.find("helpstring(\"Kestrova Control\")"), std::string::npos);
    EXPECT_NE(coclass.find("control"), std::string::npos);
    const std::string members = BodyOf(idl, "coclass Kestrova");
    EXPECT_TRUE(
        std::regex_search(members, std::regex(R"(\[default\]\s*dispinterface _DKestrova;)")));
    EXPECT_TRUE(std::regex_search(
        members, std::regex(R"(\[default,\s*source\]\s*dispinterface _DKestrovaEvents;)")));
}

TEST(IdlTest, EachOfTheFourItemsHasItsOwnGuid) {
    const std::string idl = ReadIdl();
    std::set<std::string> guids;
    const std::regex uuid(
        R"(uuid\(([0-9A-Fa-f]{8}-[0-9A-Fa-f]{4}-[0-9A-Fa-f]{4}-[0-9A-Fa-f]{4}-[0-9A-Fa-f]{12})\))");
    for (std::sregex_iterator it(idl.begin(), idl.end(), uuid), end; it != end; ++it) {
        guids.insert((*it)[1]);
    }
    EXPECT_EQ(guids.size(), 4U);
    for (const char* item : {"library KESTROVALib", "dispinterface _DKestrova\n",
                             "dispinterface _DKestrovaEvents", "coclass Kestrova"}) {
        EXPECT_NE(AttributesOf(idl, item).find("uuid("), std::string::npos) << item;
    }
}

}  // namespace
}  // namespace kestrova
