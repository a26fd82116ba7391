// The V0 link's messages, both ways.

#include "journee/lien_v0.h"

#include <gtest/gtest.h>

namespace journee {
namespace {

TEST(LienV0, MessagesReadBackAndForeignOnesAreRefused) {
    const ReportV0 r{"7", 2.1234, 1.98766};
    EXPECT_EQ(MessageV0(r), "V0;7;2.1234;1.9877\n");
    const auto lu = LireMessageV0(MessageV0(r));
    ASSERT_TRUE(lu);
    EXPECT_EQ(lu->photometre, "7");
    EXPECT_DOUBLE_EQ(lu->v0Vert, 2.1234);
    for (const char* mauvais : {"", "V0;7;2.1\n", "V1;7;2;2\n", "V0;7;deux;2\n", "V0;7;2;2;2\n"})
        EXPECT_FALSE(LireMessageV0(mauvais)) << mauvais;
    const auto ok = LireReponse(MessageReponse({true, "ligne\nunique"}));
    ASSERT_TRUE(ok);
    EXPECT_TRUE(ok->acceptee);
    EXPECT_EQ(ok->texte, "ligne unique");
    EXPECT_FALSE(LireReponse(MessageReponse({false, "non"}))->acceptee);
    EXPECT_FALSE(LireReponse("PEUT-ETRE;x\n"));
}

}  // namespace
}  // namespace journee
