// FetchPageText's decisions with a scripted page request and client: which requests are
// made, which text wins, and what a failure gives.
#include "fetch/page_fetch.h"

#include <gtest/gtest.h>

#include <deque>

namespace pagorin::fetch {
namespace {

struct ScriptedPageRequest {
    std::deque<std::optional<std::string>> bodies;
    std::string contentType;  // the header of every answer
    std::vector<std::string> addresses;
    std::optional<PageResponse> get(std::string_view address) {
        addresses.emplace_back(address);
        if (bodies.empty() || !bodies.front()) return std::nullopt;
        PageResponse response{*bodies.front(), contentType};
        bodies.pop_front();
        return response;
    }
};

class PageFetchTest : public testing::Test {
  protected:
    Text fetch(std::string_view address = "http://srv/p") {
        return FetchPageText(address, services);
    }

    ScriptedPageRequest pages;
    std::deque<Text> clientBodies;
    std::vector<std::string> clientAddresses;
    // The conversion is marked, so tests see which texts went through it.
    PageFetchServices services{
        [this](std::string_view address) { return pages.get(address); },
        [this](std::string_view address) {
            clientAddresses.emplace_back(address);
            Text body = clientBodies.empty() ? Text() : clientBodies.front();
            if (!clientBodies.empty()) clientBodies.pop_front();
            return body;
        },
        [](std::string_view utf8) { return "gbk(" + std::string(utf8) + ")"; }};
};

TEST_F(PageFetchTest, PlainPageIsOneRequestCutAtTheFirstNul) {
    pages.bodies.push_back(std::string("before\0after", 12));
    EXPECT_EQ(fetch("srv/a"), "before");
    EXPECT_EQ(pages.addresses, (std::vector<std::string>{"srv/a"}));  // passed unchanged
    EXPECT_TRUE(clientAddresses.empty());
}

TEST_F(PageFetchTest, FailedRequestIsAnEmptyPage) {
    pages.bodies.push_back(std::nullopt);
    EXPECT_EQ(fetch(), "");
    EXPECT_TRUE(clientAddresses.empty());
}

TEST_F(PageFetchTest, OnlyCharsetOutsideMetaIsNotConverted) {
    pages.bodies.push_back("<p>charset=utf-8</p>");
    EXPECT_EQ(fetch(), "<p>charset=utf-8</p>");
    EXPECT_TRUE(clientAddresses.empty());
}

TEST_F(PageFetchTest, DeclaredUtf8IsFetchedAgainAndConverted) {
    pages.bodies.push_back("<META CHARSET=\"UTF-8\">");
    clientBodies = {"plain"};
    EXPECT_EQ(fetch("http://srv/u"), "gbk(plain)");
    EXPECT_EQ(clientAddresses, (std::vector<std::string>{"http://srv/u"}));
}

TEST_F(PageFetchTest, NestedTestsMakeUpToFourRequests) {
    // Converted text that still says charset=utf-8: a third request; holding 的: a fourth.
    pages.bodies.push_back("<meta charset=\"utf-8\">");
    clientBodies = {"charset=UTF-8", "\xB5\xC4", "last"};
    EXPECT_EQ(fetch(), "gbk(last)");
    EXPECT_EQ(clientAddresses.size(), 3u);
}

TEST_F(PageFetchTest, Utf8ContentTypeHeaderCountsAsTheFirstTest) {
    pages.contentType = "text/html; charset=UTF-8";
    pages.bodies.push_back("<p>no declaration</p>");
    clientBodies = {"charset=utf-8", "no common character"};
    EXPECT_EQ(fetch(), "gbk(no common character)");
    EXPECT_EQ(clientAddresses.size(), 2u);
}

TEST_F(PageFetchTest, SecondTestNeedsTheFirst) {
    pages.bodies.push_back("charset=utf-8 \xB5\xC4");
    EXPECT_EQ(fetch(), "charset=utf-8 \xB5\xC4");
    EXPECT_TRUE(clientAddresses.empty());
}

TEST_F(PageFetchTest, FailedRefetchEmptiesThePage) {
    pages.bodies.push_back("<meta charset=utf-8>");
    EXPECT_EQ(fetch(), "gbk()");
    EXPECT_EQ(clientAddresses.size(), 1u);
}

TEST(DeclaresUtf8, AcceptedForms) {
    for (std::string_view page : {
             "<meta charset=\"utf-8\">", "<html><head><META Charset='UTF-8' /></head>",
             "<meta charset=utf-8>", "<meta charset = \"utf-8\">", "<meta\ncharset=utf-8/>",
             "<meta http-equiv=\"Content-Type\" content=\"text/html; charset=utf-8\">",
             "<meta content='text/html;charset=UTF-8' http-equiv='content-type'>",
             "<meta name=x charset=utf-8",  // cut off at the end of the page
             "<meta charset=utf-8;>", "<meta charset=\"utf-8;\">",
             "<meta http-equiv=\"Content-Type\" content=\"text/html; charset=utf-8;\">",
             "\xEF\xBB\xBF<html>no declaration",
             "text meta charset=\"utf-8\" outside an element",  // the long-standing form
         }) {
        EXPECT_TRUE(DeclaresUtf8(page)) << page;
    }
}

TEST(DeclaresUtf8, RefusedForms) {
    for (std::string_view page : {
             "",
             "charset=utf-8",
             "<p>charset=\"utf-8\"</p>",
             "<meta charset=\"gbk\"><p>charset=utf-8</p>",
             "<meta charset=utf-16>",
             "<meta charset=utf-8x>",
             "<meta charset=\"utf8\">",
             "<meta name=\"charset\" content=\"x\"> utf-8",
             "<meta <p charset=utf-8>",
             "x\xEF\xBB\xBF",
         }) {
        EXPECT_FALSE(DeclaresUtf8(page)) << page;
    }
}

TEST(ContentTypeDeclaresUtf8, AcceptedAndRefusedForms) {
    for (std::string_view header :
         {"text/html; charset=utf-8", "text/html;charset=\"UTF-8\"", "text/html; charset=utf8",
          "text/html ; Charset = 'Utf-8' ", "text/plain; format=flowed; charset=utf-8; x=y",
          "text/html; charset=utf-8;", "text/html;charset=UTF-8;", "text/html; charset=utf8;"}) {
        EXPECT_TRUE(ContentTypeDeclaresUtf8(header)) << header;
    }
    for (std::string_view header :
         {"", "text/html", "text/html; charset=gbk", "text/html; charset=gb2312",
          "text/html; charset=gb18030", "text/html; charset=big5", "text/html; charset=iso-8859-1",
          "text/html; charset=utf-16", "text/html; charset=utf-8x", "text/html; charset=", "utf-8",
          "text/html; name=\"charset=utf-8\"", "text/html; xcharset=utf-8"}) {
        EXPECT_FALSE(ContentTypeDeclaresUtf8(header)) << header;
    }
}

TEST(DeclaresUtf8, ManyUnclosedElementsAreReadOnce) {
    std::string page;
    for (int i = 0; i < 200000; ++i) page += "<meta charset=x ";
    EXPECT_FALSE(DeclaresUtf8(page));
    page += "<meta charset=utf-8>";
    EXPECT_TRUE(DeclaresUtf8(page));
}

}  // namespace
}  // namespace pagorin::fetch
