#include "register_statements.h"

namespace bench {

const char* const kReportVillage = "PODENI";

std::string withDir(std::string text, const std::string& dir) {
    const std::string key = "{DataDir}";
    for (size_t at; (at = text.find(key)) != std::string::npos;) text.replace(at, key.size(), dir);
    return text;
}

std::string annexStatement(const std::string& dir) {
    return withDir(
        "SELECT IDANEXA, ANEXA,TIPANX, NRCRTA, SATUL,NUME,SINCAP,SSOL,SAPROB,SACT,\n"
        "MOSTEN,EXTOT,EXAR,EXVII,EXLIV,EXPAS,INTOT,INAR,INVII,INLIV,INPAS,NEAG,MAX(IDTP) AS MM, MAX(TPNR) AS TIT, "
        "SUM(T.SUPTOT) AS SUPTOT\n"
        "FROM \"{DataDir}\\Anexe1.dbf\"\n"
        "LEFT JOIN \"{DataDir}\\TP.dbf\" T\n"
        "     ON IDANEXA=T.IDANEXA\n"
        "WHERE ANEXA=\"Anexa 2A\"\n"
        " \n"
        "GROUP BY IDANEXA, ANEXA,TIPANX, NRCRTA, SATUL,NUME,SINCAP,SSOL,SAPROB,SACT,\n"
        "MOSTEN,EXTOT,EXAR,EXVII,EXLIV,EXPAS,INTOT,INAR,INVII,INLIV,INPAS,NEAG\n"
        " ",
        dir);
}

const char* const kAnnexSqlite =
    "SELECT A.IDANEXA, A.ANEXA, A.TIPANX, A.NRCRTA, A.SATUL, A.NUME, A.SINCAP, A.SSOL, A.SAPROB, A.SACT, "
    "A.MOSTEN, A.EXTOT, A.EXAR, A.EXVII, A.EXLIV, A.EXPAS, A.INTOT, A.INAR, A.INVII, A.INLIV, A.INPAS, A.NEAG, "
    "MAX(T.IDTP) AS MM, MAX(T.TPNR) AS TIT, SUM(T.SUPTOT) AS SUPTOT "
    "FROM ANEXE1 A LEFT JOIN TP T ON A.IDANEXA=T.IDANEXA "
    "WHERE A.ANEXA='Anexa 2A' "
    "GROUP BY A.IDANEXA, A.ANEXA, A.TIPANX, A.NRCRTA, A.SATUL, A.NUME, A.SINCAP, A.SSOL, A.SAPROB, A.SACT, "
    "A.MOSTEN, A.EXTOT, A.EXAR, A.EXVII, A.EXLIV, A.EXPAS, A.INTOT, A.INAR, A.INVII, A.INLIV, A.INPAS, A.NEAG";

std::string reportStatement(const std::string& dir, bool village) {
    return withDir(std::string("SELECT T.ANEXA, T.IDTP, T.IDANEXA, T.INSAT, T.TITULAR, T.TPNR,\n"
                               "D.TIP, D.CATEG, D.NRTARLA, D.PARCELA, D.SUPRAF, D.OBS, D.LOT, D.LUNG, D.LAT, D.COMENT\n"
                               "FROM \"{DataDir}\\TPDET.dbf\" D\n"
                               "LEFT JOIN \"{DataDir}\\TP.dbf\" T\n"
                               "ON T.IDTP=D.IDTP\n") +
                       (village ? std::string("WHERE (INSAT=\"") + kReportVillage + "\")" : " ") + "\n \nORDER BY T.TITULAR",
                   dir);
}

std::string reportSqlite(bool village) {
    return std::string("SELECT T.ANEXA, T.IDTP, T.IDANEXA, T.INSAT, T.TITULAR, T.TPNR, "
                       "D.TIP, D.CATEG, D.NRTARLA, D.PARCELA, D.SUPRAF, D.OBS, D.LOT, D.LUNG, D.LAT, D.COMENT "
                       "FROM TPDET D LEFT JOIN TP T ON T.IDTP=D.IDTP ") +
           (village ? std::string("WHERE (T.INSAT='") + kReportVillage + "') " : "") + "ORDER BY T.TITULAR";
}

std::string totalsStatement(const std::string& dir, bool village) {
    return withDir(std::string("SELECT D.TIP, D.CATEG, SUM(D.SUPRAF) AS TT\n"
                               "FROM \"{DataDir}\\TPDET.dbf\" D\n"
                               "LEFT JOIN \"{DataDir}\\TP.dbf\" T\n"
                               "ON T.IDTP=D.IDTP\n") +
                       (village ? std::string("WHERE (INSAT=\"") + kReportVillage + "\")" : " ") +
                       "\n \nGROUP BY D.TIP, D.CATEG\nORDER BY D.TIP, D.CATEG",
                   dir);
}

std::string totalsSqlite(bool village) {
    return std::string("SELECT D.TIP, D.CATEG, SUM(D.SUPRAF) AS TT FROM TPDET D LEFT JOIN TP T ON T.IDTP=D.IDTP ") +
           (village ? std::string("WHERE (T.INSAT='") + kReportVillage + "') " : "") +
           "GROUP BY D.TIP, D.CATEG ORDER BY D.TIP, D.CATEG";
}

}  // namespace bench
