#include "app/parametres.h"

#include <gtest/gtest.h>

TEST(Parametres, TheHeaderCountsOnlyOnAnEvenLine) {
    struct Case {
        std::vector<std::string> lignes;
        std::vector<std::string> ports;
    } cases[] = {
        {{"SOLVENARE V1.0 - Paramètres", "[PortSerie]", "COM3"}, {"COM3"}},
        {{"[PortSerie]", "COM3"}, {}},
        {{"anything", "[PortSerie]"}, {""}},
        {{"x", "[portserie]", "COM3"}, {}},
        {{"b", "[PortSerie]", "COM1", "b", "[PortSerie]", "ttyUSB0"}, {"COM1", "ttyUSB0"}},
        {{"b", "autre", "c", "[PortSerie]", "COM2"}, {"COM2"}},
        {{}, {}},
    };
    for (const auto& c : cases) EXPECT_EQ(PortsEnregistres(c.lignes), c.ports);
}
