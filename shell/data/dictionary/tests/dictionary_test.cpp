#include <gtest/gtest.h>

#include <cctype>
#include <cstring>
#include <memory>
#include <set>
#include <string>

#include "DorerDataDictionary.h"

namespace {

// A copy without spare bytes after the terminating NUL, so that the address sanitizer sees any
// read past the pattern's end.
std::unique_ptr<char[]> exactCopy(const char* text) {
    std::unique_ptr<char[]> copy(new char[std::strlen(text) + 1]);
    std::memcpy(copy.get(), text, std::strlen(text) + 1);
    return copy;
}

struct SPatternCase {
    const char* pattern;
    const char* name;
    bool matches;
};

const SPatternCase kPatternCases[] = {
    {"", "", false},
    {"", "HMI", false},
    {"HMI", "HMI", true},
    {"HMI", "hmi", false},
    {"HMI", "HMI_X", false},
    {"*", "", true},
    {"*", "anything", true},
    {"***", "abc", true},
    {"H*I", "HI", true},
    {"H*I", "HMMI", true},
    {"H*I", "HMIX", false},
    {"?", "", false},
    {"?", "a", true},
    {"?", "ab", false},
    {"*?", "", false},
    {"*_X?", "PIP_POS_X1", true},
    {"*_X?", "PIP_POS_X", false},
    {"*_X?", "PIP_POS_X12", false},
    {"*a*a*b", "aaaaab", true},
    {"*a*a*b", "aaaaa", false},
    {"T[!A-Z]*", "TestTheBool", true},
    {"T[!A-Z]*", "TOUCH_COMMAND", false},
    {"T[!A-Z]*", "T", false},
    {"[A-C]x", "Bx", true},
    {"[A-C]x", "Dx", false},
    {"[C-A]", "B", false},  // not a range: C, '-' and A
    {"[C-A]", "-", true},
    {"[]]", "]", true},
    {"[]]", "]]", false},
    {"[]]", "a", false},
    {"[!]]", "a", true},
    {"[!]]", "]", false},
    {"[a-]", "-", true},
    {"[a-]", "a", true},
    {"[a-]", "b", false},
    {"[-a]", "-", true},
    {"[ab]c", "bc", true},
    // A set never closed ends with the pattern.
    {"[", "a", false},
    {"[!", "a", true},
    {"[ab", "b", true},
    {"[ab", "c", false},
    {"x[a-", "xa", true},
    {"x[a-", "x-", true},
    {"*[", "abc", false},
};

TEST(DictionaryPattern, MatchesAsTheTableSays) {
    for (const SPatternCase& c : kPatternCases) {
        auto pattern = exactCopy(c.pattern);
        EXPECT_EQ(DorerDataDictionary::matchPattern(pattern.get(), c.name), c.matches)
            << "pattern '" << c.pattern << "' name '" << c.name << "'";
    }
}

// The pattern rules as a plain backtracking match, to hold the compiled matcher to.
bool referenceSet(const char*& p, char c) {
    const char* q = p + 1;
    const bool negated = *q == '!';
    if (negated) ++q;
    const char* first = q;
    bool member = false;
    for (; *q != '\0' && (*q != ']' || q == first); ++q) {
        if (q[1] == '-' && q[2] != '\0' && q[2] != ']' && q[2] > *q) {
            member = member || (c >= *q && c <= q[2]);
            q += 2;
        } else {
            member = member || c == *q;
        }
    }
    p = *q == ']' ? q + 1 : q;
    return member != negated;
}

bool referenceMatch(const char* p, const char* n) {
    if (*p == '\0') return *n == '\0';
    if (*p == '*') return referenceMatch(p + 1, n) || (*n != '\0' && referenceMatch(p, n + 1));
    if (*n == '\0') return false;
    if (*p == '[') return referenceSet(p, *n) && referenceMatch(p, n + 1);
    return (*p == '?' || *p == *n) && referenceMatch(p + 1, n + 1);
}

TEST(DictionaryPattern, CompiledMatchAgreesWithBacktrackingOverRandomPatterns) {
    const char alphabet[] = "ab*?[]!-*a*";
    const char letters[] = "ab-]!";
    unsigned seed = 12345;
    auto next = [&seed](unsigned n) {
        seed = seed * 1103515245u + 12345u;
        return (seed >> 16) % n;
    };
    for (int i = 0; i < 20000; ++i) {
        std::string pattern, name;
        for (unsigned k = 1 + next(9); k > 0; --k) pattern += alphabet[next(sizeof alphabet - 1)];
        for (unsigned k = next(9); k > 0; --k) name += letters[next(sizeof letters - 1)];
        auto exact = exactCopy(pattern.c_str());
        ASSERT_EQ(referenceMatch(pattern.c_str(), name.c_str()), DorerDataDictionary::matchPattern(exact.get(), name.c_str()))
            << "pattern '" << pattern << "' name '" << name << "'";
    }
}

std::set<std::string> names(const DorerDataNodeList& nodes) {
    std::set<std::string> result;
    for (const DorerDataNodeRef& node : nodes) result.insert(node->getName().str());
    return result;
}

class DictionarySearch : public ::testing::Test {
protected:
    DorerDataNodeRef mRoot = DorerDataDictionary::getRoot();
};

TEST_F(DictionarySearch, RootIsBuiltOnce) {
    EXPECT_EQ(DorerDataDictionary::getRoot().get(), mRoot.get());
    EXPECT_EQ(mRoot->getKind(), DorerDataNode::Root);
    EXPECT_EQ(mRoot->getName(), CQFString("root"));
}

TEST_F(DictionarySearch, ByNameHonoursKindMask) {
    DorerDataNodeList found;
    ASSERT_TRUE(DorerDataDictionary::findByName(mRoot, "HMI", DorerDataNode::Cb, found));
    ASSERT_EQ(found.size(), 1u);
    EXPECT_EQ(found[0]->getId(), 7u);

    found.clear();
    ASSERT_TRUE(DorerDataDictionary::findByName(mRoot, "*_X?", DorerDataNode::Cb | DorerDataNode::CbFunction, found));
    EXPECT_EQ(names(found),
              (std::set<std::string>{"PIP_POS_X1", "PIP_POS_X2", "HUD_OFFSET_XL", "HUD_OFFSET_XR", "MAP_ANCHOR_X0"}));
    for (const DorerDataNodeRef& node : found) EXPECT_EQ(node->getKind(), DorerDataNode::CbFunction);

    found.clear();
    EXPECT_FALSE(DorerDataDictionary::findByName(mRoot, "HMI", DorerDataNode::Key, found));
    EXPECT_FALSE(DorerDataDictionary::findByName(mRoot, "", DorerDataNode::AnyKind, found));
    EXPECT_TRUE(found.empty());
}

TEST_F(DictionarySearch, NegatedSetTakesTheKeysBeginningWithTAndASmallLetter) {
    DorerDataNodeList found;
    ASSERT_TRUE(DorerDataDictionary::findByName(mRoot, "T[!A-Z]*", DorerDataNode::AnyKind, found));
    for (const DorerDataNodeRef& node : found) {
        EXPECT_EQ(node->getKind(), DorerDataNode::Key) << node->getName().str();
        EXPECT_TRUE(islower(static_cast<unsigned char>(node->getName().str()[1]))) << node->getName().str();
    }
    DorerDataNodeList testKeys;
    DorerDataDictionary::findByName(mRoot, "TestThe*", DorerDataNode::Key, testKeys);
    EXPECT_EQ(testKeys.size(), 12u);
    EXPECT_EQ(names(found).count("TOUCH_COMMAND"), 0u);
    for (const DorerDataNodeRef& key : testKeys) EXPECT_EQ(names(found).count(key->getName().str()), 1u);
}

TEST_F(DictionarySearch, SearchesStartBelowTheStartNode) {
    DorerDataNodeList blocks;
    ASSERT_TRUE(DorerDataDictionary::findByName(mRoot, "test_cb_0", DorerDataNode::Cb, blocks));
    DorerDataNodeList found;
    EXPECT_FALSE(DorerDataDictionary::findByName(blocks[0], "test_cb_0", DorerDataNode::AnyKind, found));
    ASSERT_TRUE(DorerDataDictionary::findByName(blocks[0], "*", DorerDataNode::AnyKind, found));
    // Pre-order: each function before its named values.
    ASSERT_EQ(found.size(), 9u);
    EXPECT_EQ(found[0]->getName(), CQFString("test_cbfunc_0_0_1bit"));
    EXPECT_EQ(found[1]->getName(), CQFString("TEST_PARAM_0_0_0_OFF"));
    EXPECT_EQ(found[3]->getName(), CQFString("test_cbfunc_0_2_5bits"));
    EXPECT_EQ(found[4]->getName(), CQFString("test_cbfunc_0_1_2bits"));

    DorerDataNodeList cdmm;
    EXPECT_TRUE(DorerDataDictionary::findByName(mRoot, "HMI", DorerDataNode::Cb, found));
    DorerDataDictionary::findByName(found.back(), "CDMM*", DorerDataNode::CbFunction, cdmm);
    EXPECT_GE(cdmm.size(), 2u);
}

TEST_F(DictionarySearch, ByKindAllOrChildrenOnly) {
    DorerDataNodeList found;
    ASSERT_TRUE(DorerDataDictionary::findByKind(mRoot, true, DorerDataNode::Cb | DorerDataNode::Key, found));
    EXPECT_EQ(found.size(), 96u);
    found.clear();
    EXPECT_FALSE(DorerDataDictionary::findByKind(mRoot, true, DorerDataNode::CbFunction, found));
    ASSERT_TRUE(DorerDataDictionary::findByKind(mRoot, false, DorerDataNode::CbFunction, found));
    EXPECT_EQ(found.size(), 1225u);
    found.clear();
    ASSERT_TRUE(DorerDataDictionary::findByKind(mRoot, false, DorerDataNode::AnyKind, found));
    EXPECT_EQ(found.size() + 1, 4658u);  // with the root
}

TEST_F(DictionarySearch, ByIdFindsTheFirstNodeInPreOrder) {
    DorerDataNodeRef node;
    EXPECT_FALSE(DorerDataDictionary::findById(mRoot, 64, node));
    EXPECT_FALSE(DorerDataDictionary::findById(mRoot, 0x80000000u, node));
    EXPECT_FALSE(node);

    ASSERT_TRUE(DorerDataDictionary::findById(mRoot, 0x82080002u, node));
    EXPECT_EQ(node->getKind(), DorerDataNode::AdjStruct);
    EXPECT_EQ(node->getName(), CQFString("E2P.AdjustData.TemperatureThresholds.FOT_Critical"));
    ASSERT_EQ(node->getChildren().size(), 1u);
    EXPECT_EQ(node->getChildren()[0]->getId(), 0x82080002u);

    ASSERT_TRUE(DorerDataDictionary::findById(mRoot, 0x43802808u, node));
    EXPECT_EQ(node->getName(), CQFString("COMPASS"));
    ASSERT_TRUE(DorerDataDictionary::findById(mRoot, 7, node));
    EXPECT_EQ(node->getName(), CQFString("HMI"));
}

}  // namespace
