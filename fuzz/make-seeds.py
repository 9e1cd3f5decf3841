#!/usr/bin/env python3
"""Writes the seed corpus of the fuzz targets into corpus/<target>/.

Most targets take their choices through clang's FuzzedDataProvider: numbers from the end of the
input (the first one taken is the last bytes), strings from the front, each ended by a backslash
and one more character. The seeds encode the start-up project and a few typical cases that way.
Inputs with which fuzzing found a fault are added to corpus/<target>/ by hand, named found-*.
"""
import os
import struct
import sys

HERE = os.path.dirname(os.path.abspath(__file__))


class Provider:
    """Builds an input that FuzzedDataProvider reads back as the given choices."""

    def __init__(self):
        self.front = b""
        self.tail = []  # byte groups in the order they are taken from the end

    def integral(self, value, low, high):
        span = high - low
        value -= low
        count = 0
        while count < 8 and (span >> (8 * count)) > 0:
            count += 1
        # The first byte taken (the last of the input) is the most significant.
        self.tail.append(value.to_bytes(count, "big") if count else b"")

    def u64(self, value):
        self.integral(value, 0, 2**64 - 1)

    def u32(self, value):
        self.integral(value, 0, 2**32 - 1)

    def double_bits(self, value):
        self.u64(struct.unpack("<Q", struct.pack("<d", value))[0])

    def in_range(self, value, low, high):
        """ConsumeFloatingPointInRange for a range that does not overflow."""
        probability = (value - low) / (high - low)
        self.u64(min(int(probability * (2**64 - 1)), 2**64 - 1))

    def boolean(self, value):
        self.integral(1 if value else 0, 0, 255)

    def string(self, text):
        self.front += text.encode("utf-8").replace(b"\\", b"\\\\") + b"\\|"

    def data(self):
        # Taken from the end: the groups in reverse, each with its most significant byte last.
        return self.front + b"".join(reversed([group[::-1] for group in self.tail]))


def write(target, name, data):
    folder = os.path.join(HERE, "corpus", target)
    os.makedirs(folder, exist_ok=True)
    with open(os.path.join(folder, name), "wb") as out:
        out.write(data)


def parse_real():
    for name, comma, text in [
        ("Tariff", True, "1,38"),
        ("tariff-point", False, "1.38"),
        ("blanks-sign-exponent", True, " -2,5e3 "),
        ("exponent-plus", False, "+1.5E+3"),
        ("fraction-only", True, ",5"),
        ("largest-double", True, "1,7976931348623157e308"),
        ("beyond-range", False, "1e309"),
        ("tiny", True, "4,9e-324"),
        ("comma-under-point", False, "1,38"),
        ("group-blank", True, "1 000"),
        ("infinity", True, "inf"),
        ("empty", True, ""),
    ]:
        write("fuzz_parse_real", name, bytes([0 if comma else 1]) + text.encode())


PATTERNS = ["0", "0.0", "0.00", "0,0", "0,00"]


def format_number():
    for value in [12.3, 1.005, -2.5, 999.6, 0.125, 1e20, 369 / 30, 5, -0.001]:
        for index, pattern in enumerate(PATTERNS):
            p = Provider()
            p.double_bits(value)
            p.integral(index % 3, 0, 2)
            p.integral(index, 0, 5)
            write("fuzz_format_number", f"value{value!r}-pattern{pattern}", p.data())
    p = Provider()
    p.double_bits(1234.5678)
    p.integral(0, 0, 2)
    p.integral(5, 0, 5)
    p.string(".0000,")
    write("fuzz_format_number", "own-pattern", p.data())


CONTROLS = [
    ("ManagementCompany", ""), ("Address", "ул.   д. "), ("EntranceCount", "5"), ("FloorCount", "9"), ("ResidentsPerFlat", "4"), ("FlatsPerFloor", "3"),
    ("Tariff", "1,38"), ("ExistingLampsLanding", "1"), ("ExistingLampsBetween", "1"), ("ExistingLampsVestibule", "2"), ("ExistingLampLife", "6"),
    ("ExistingLampPrice", "10"), ("ExistingPowerLanding", "40"), ("ExistingPowerBetween", "40"), ("ExistingPowerVestibule", "40"), ("ExistingHoursLanding", "13,00"),
    ("ExistingHoursBetween", "13,00"), ("ExistingHoursVestibule", "24,00"), ("PlannedLampsLanding", "1"), ("PlannedLampsBetween", "1"), ("PlannedLampsVestibule", "2"),
    ("PlannedBlocksLanding", "1"), ("PlannedBlocksBetween", "1"), ("PlannedBlocksVestibule", "1"), ("PlannedLampLife", "18"), ("PlannedLampPrice", "10"),
    ("PlannedPowerLanding", "40"), ("PlannedPowerBetween", "40"), ("PlannedPowerVestibule", "40"), ("PlannedHoursLanding", "1,46"), ("PlannedHoursBetween", "0,49"),
    ("PlannedHoursVestibule", "1,05"), ("ExistingFittingPrice", "0"), ("ExistingFittingInstallPrice", "0"), ("PlannedFittingPrice", "0"), ("PlannedFittingInstallPrice", "0"),
    ("BlockPrice", "350"), ("BlockInstallPrice", "100"),
]


def read_input():
    def page(name, scope, point, lift, changes):
        p = Provider()
        p.integral(scope, 0, 3)
        p.boolean(point)
        p.boolean(lift)
        for control, text in CONTROLS:
            text = changes.get(control, text)
            p.string(text.replace(",", ".") if point else text)
        write("fuzz_read_input", name, p.data())

    page("start-up", 0, False, True, {})
    page("start-up-point", 0, True, False, {})
    page("house-scope", 1, False, True, {"ExistingLampsLanding": "7"})
    page("out-of-range", 0, False, True,
         {"EntranceCount": "41", "Tariff": "0", "ExistingLampsVestibule": "11", "PlannedBlocksVestibule": "-1", "FloorCount": "40", "PlannedLampsLanding": "10"})
    page("empty-life", 2, False, True, {"ExistingLampLife": "", "ExistingLampsLanding": "3"})
    page("bad-price", 0, False, True, {"PlannedFittingPrice": "abc", "ExistingFittingPrice": "12"})
    page("largest-price", 3, False, True, {"BlockPrice": "1,7976931348623157e308"})


def simulation():
    def project(name, seed, entrances, floors, residents, flats, counts, powers, hours, lives,
                prices, traffic):
        p = Provider()
        p.u32(seed)
        for size in (entrances, floors):
            large = size > 4
            p.integral(0 if large else 1, 0, 3)
            p.integral(size, 1, 40 if large else 4)
        p.in_range(residents, 1.0, 40.0)
        p.in_range(flats, 1.0, 40.0)
        p.integral(0, 0, 3)  # tariff as a stepper-like tenth
        p.integral(14, 0, 1000)
        for count in counts:
            p.integral(count, 0, 10)
        for power in powers:
            p.integral(power, 1, 500)
        for value in hours + lives + prices + traffic:
            p.integral(0, 0, 3)  # a tenth
            p.integral(round(value * 10), 0, 1000)
        write("fuzz_simulation", name, p.data())

    start_up = dict(
        residents=4, flats=3, counts=[1, 1, 2, 1, 1, 2, 1, 1, 1], powers=[40] * 6,
        hours=[13, 13, 24, 1.5, 0.5, 1.1], lives=[6, 18],
        prices=[10, 0, 0, 10, 0, 0, 35, 10], traffic=[0.1, 10, 60, 20, 10])
    project("start-up", 7, 5, 9, **start_up)
    project("one-floor", 1, 1, 1, **start_up)
    day0 = dict(start_up, counts=[1, 0, 0, 1, 0, 0, 0, 0, 0], prices=[10, 50, 50, 10, 0, 0, 0, 0],
                hours=[13, 0, 0, 1, 0, 0])
    project("dearer-on-day-0", 3, 2, 3, **day0)
    no_life = dict(start_up, lives=[0, 0])
    project("life-zero", 5, 3, 4, **no_life)


def jpeg():
    with open(os.path.join(HERE, "..", "app", "resources", "logos", "about-logo.jpg"), "rb") as f:
        logo = f.read()
    write("fuzz_jpeg", "about-logo", logo)
    write("fuzz_jpeg", "cut-off", logo[: len(logo) // 2])
    write("fuzz_jpeg", "header-only", logo[:600])


def sheet():
    """Spreadsheets of houses as office programs save them, and a few that are refused."""
    for name, text in [
        ("semicolon-decimal-comma",
         "Address;EntranceCount;FloorCount;HasLift;ResidentsPerFlat;FlatsPerFloor;Tariff\n"
         "\"ул. Ленина; д. 5\";5;9;1;3,5;4;1,38\n"
         "ул. Мира д. 1;2;5;нет;2.5;3;4,15\n"
         "ул. Садовая д. 3;41;9;1;4;3;0\n"),
        ("comma-decimal-point",
         "address,entrancecount,FLOORCOUNT,Tariff,ExistingLampsLanding,PlannedLampsLanding,"
         "PlannedBlocksLanding,PlannedHoursBetween,HoldTimeLanding\n"
         "\"Lenina st, 5\",5,9,1.38,2,0,3,6.5,90\n"
         "Mira st 1,1,1,1e-3,10,10,10,,1e6\n"
         "Mira st 2,3,4,1,38,1,1,1,,\n"),
        ("quoted-line-breaks",
         "Address;ManagementCompany;FloorCount\n"
         "\"ул. Ленина,\nд. 5\";\"ТСЖ \"\"Свет\"\"\";9\n"
         "\n"
         "\"многоэтажный\n\n\"\"дом\"\"\";;\"1\n2\"\n"
         ";;\n"
         "ул. Мира д. 1;УК;12;;\n"),
        ("bom-crlf",
         "\ufeffAddress;Tariff;ExistingPowerLanding;PlannedPowerLanding\r\n"
         "ул. Ленина д. 5;1,38;60;11\r\n"
         "ул. Мира д. 1; 2,5 ;40,5;9\r\n"),
        ("cr-only",
         "\r\rAddress,EntranceCount,CountLampTheft\r"
         "\"Lenina\r5\",5,true\r"
         "Mira 1,2,maybe\r"),
        ("all-columns",
         "Address;ManagementCompany;EntranceCount;FloorCount;HasLift;ResidentsPerFlat;"
         "FlatsPerFloor;Tariff;ExistingSchemeType;ExistingLampsLanding;ExistingLampsBetween;"
         "ExistingLampsVestibule;ExistingLampLife;ExistingLampPrice;ExistingPowerLanding;"
         "ExistingPowerBetween;ExistingPowerVestibule;ExistingHoursLanding;ExistingHoursBetween;"
         "ExistingHoursVestibule;PlannedSchemeType;PlannedLampsLanding;PlannedLampsBetween;"
         "PlannedLampsVestibule;PlannedBlocksLanding;PlannedBlocksBetween;PlannedBlocksVestibule;"
         "PlannedLampLife;PlannedLampPrice;PlannedPowerLanding;PlannedPowerBetween;"
         "PlannedPowerVestibule;PlannedHoursLanding;PlannedHoursBetween;PlannedHoursVestibule;"
         "ExistingFittingPrice;ExistingFittingInstallPrice;PlannedFittingPrice;"
         "PlannedFittingInstallPrice;BlockPrice;BlockInstallPrice;HoldTimeLanding;"
         "HoldTimeBetween;HoldTimeVestibule;LiftFromFloor;LiftModel;IndividualityCoefficient;"
         "PassagesPerResident;CountLampTheft;TheftRateIncandescent;TheftRateEnergySaving;"
         "TheftRateSoundSensor;TheftRateExternalBlock;BurnOutGamma\n"
         "ул. Ленина д. 5;УК;5;9;1;4;3;1,38;0;1;1;2;6;10;40;40;40;13,00;13,00;24,00;1;1;1;2;1;1;"
         "1;18;10;40;40;40;;;;0;0;0;0;350;100;60;20;10;1;1;1,00;3,50;1;10,0;4,0;1,5;1,5;0,10\n"
         "ул. Мира д. 1;;1;40;0;1;40;0,5;1;10;0;10;0;0;100;60;25;24;0;0;0;0;10;10;0;10;1;0;0;11;"
         "9;7;;12,5;;1e3;0;0;0;0;0;0;0;0;1;0;2,5;0;0;0;0;0;0;0\n"),
        ("unknown-column",
         "Address;Floors;Tariff\n"
         "ул. Ленина д. 5;9;1,38\n"),
        ("repeated-column",
         "Address;Tariff;tariff\n"
         "ул. Ленина д. 5;1,38;2\n"),
        ("cells-past-header",
         "Address;EntranceCount;;LiftModel\n"
         "ул. Ленина д. 5;5;;1;;\n"
         "ул. Мира д. 1;5;x;1;7\n"
         "ул. Садовая д. 3;abc;;2\n"),
        ("header-only", "\n  \nAddress;EntranceCount;FloorCount;Tariff\n"),
        ("quote-in-field", "Address;Tariff\nул. \"Ленина\" д. 5;1,38\n"),
        ("quote-left-open", "Address,Tariff\n\"Lenina 5,1.38\nMira 1,2\n"),
    ]:
        write("fuzz_sheet", name, text.encode("utf-8"))


def archive(parts, stored=()):
    """A zip archive of the parts, the named ones stored rather than deflated, so that mutations
    reach their XML (fixed dates: same bytes)."""
    import io
    import zipfile
    out = io.BytesIO()
    with zipfile.ZipFile(out, "w", zipfile.ZIP_DEFLATED) as book:
        for name, text in parts.items():
            info = zipfile.ZipInfo(name, date_time=(2020, 1, 1, 0, 0, 0))
            info.compress_type = zipfile.ZIP_STORED if name in stored else zipfile.ZIP_DEFLATED
            book.writestr(info, text.encode("utf-8"))
    return out.getvalue()


def workbook(sheet_xml, shared=None, sheet_path="xl/worksheets/sheet1.xml", stored=False,
             styles=None, sheets=None):
    """An .xlsx archive, as office programs write it: one sheet, or `sheets` as (name, state,
    xml)."""
    if sheets is None:
        sheets = [("Дома", None, sheet_xml)]
        paths = [sheet_path]
    else:
        paths = ["xl/worksheets/sheet%d.xml" % (i + 1) for i in range(len(sheets))]
    parts = {
        "[Content_Types].xml":
            '<?xml version="1.0" encoding="UTF-8"?><Types xmlns="http://schemas.openxmlformats.org/'
            'package/2006/content-types"/>',
        "xl/workbook.xml":
            '<?xml version="1.0" encoding="UTF-8"?><workbook xmlns="http://schemas.openxmlformats.'
            'org/spreadsheetml/2006/main" xmlns:r="http://schemas.openxmlformats.org/'
            'officeDocument/2006/relationships"><sheets>' + "".join(
                '<sheet name="%s" sheetId="%d" %sr:id="rId%d"/>'
                % (name, i + 1, 'state="%s" ' % state if state else "", i + 1)
                for i, (name, state, _) in enumerate(sheets)) + '</sheets></workbook>',
        "xl/_rels/workbook.xml.rels":
            '<?xml version="1.0" encoding="UTF-8"?><Relationships xmlns="http://schemas.'
            'openxmlformats.org/package/2006/relationships">' + "".join(
                '<Relationship Id="rId%d" Type="ws" Target="%s"/>'
                % (i + 1, path[len("xl/"):]) for i, path in enumerate(paths)) +
            '</Relationships>',
    }
    for path, (_, _, xml) in zip(paths, sheets):
        parts[path] = xml
    if styles is not None:
        parts["xl/styles.xml"] = styles
    if shared is not None:
        parts["xl/sharedStrings.xml"] = (
            '<?xml version="1.0" encoding="UTF-8"?><sst xmlns="http://schemas.openxmlformats.org/'
            'spreadsheetml/2006/main">' + "".join(shared) + "</sst>")
    return archive(parts, parts.keys() if stored else ())


def xlsx():
    """Workbooks: shared and inline strings, numbers, booleans, formulas, gaps; a few refused."""
    head = ('<?xml version="1.0" encoding="UTF-8"?><worksheet xmlns="http://schemas.openxmlformats'
            '.org/spreadsheetml/2006/main"><sheetData>')
    tail = "</sheetData></worksheet>"
    shared = ["<si><t>Address</t></si>", "<si><t>Tariff</t></si>",
              "<si><r><t>ул. </t></r><r><t>Мира</t></r><rPh><t>ミラ</t></rPh></si>",
              "<si><t>EntranceCount</t></si>"]
    write("fuzz_xlsx", "shared-strings", workbook(
        head + '<row r="1"><c r="A1" t="s"><v>0</v></c><c r="B1" t="s"><v>1</v></c>'
        '<c r="D1" t="s"><v>3</v></c></row>'
        '<row r="3"><c r="A3" t="s"><v>2</v></c><c r="B3"><v>2.5</v></c>'
        '<c r="D3"><f>2+2</f><v>4</v></c></row>'
        '<row r="4"><c r="B4" t="b"><v>1</v></c><c r="C4" t="e"><v>#DIV/0!</v></c></row>' + tail,
        shared))
    write("fuzz_xlsx", "inline-strings", workbook(
        head + '<row r="1"><c r="A1" t="inlineStr"><is><t>Address</t></is></c>'
        '<c r="B1" t="inlineStr"><is><t>№</t></is></c></row>'
        '<row r="2"><c r="A2" t="inlineStr"><is><t>=1+2</t></is></c><c r="B2" t="str">'
        '<f>A1</f><v>x</v></c></row><row><c><v>7</v></c></row>' + tail,
        None, "xl/worksheets/data.xml"))
    write("fuzz_xlsx", "bad-shared-index", workbook(
        head + '<row r="1"><c r="A1" t="s"><v>9</v></c></row>' + tail, shared))
    write("fuzz_xlsx", "cells-out-of-order", workbook(
        head + '<row r="1"><c r="C1"><v>1</v></c><c r="A1"><v>2</v></c></row>' + tail))
    write("fuzz_xlsx", "broken-xml", workbook(head + '<row r="1"><c r="A1"><v>1</c>' + tail))
    write("fuzz_xlsx", "no-sheet", workbook(head + tail)[:200])
    # Stored parts, so that mutations reach the XML: formats, sheets, the reader's bounds.
    styles = ('<styleSheet xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main">'
              '<numFmts count="1"><numFmt numFmtId="164" formatCode="0.0%"/></numFmts>'
              '<cellXfs count="4"><xf numFmtId="0"/><xf numFmtId="9"/><xf numFmtId="14"/>'
              '<xf numFmtId="164"/></cellXfs></styleSheet>')
    inline = '<c r="%s" t="inlineStr"><is><t>%s</t></is></c>'
    header = '<row r="1">' + inline % ("A1", "Адрес") + inline % ("B1", "TariffGrowth") + '</row>'
    write("fuzz_xlsx", "stored-formats", workbook(
        head + header + '<row r="2">' + inline % ("A2", "a") + '<c r="B2" s="1"><v>0.05</v></c>'
        '</row><row r="3"><c r="B3" s="2"><v>45000</v></c><c r="C3" s="3"><v>0.125</v></c>'
        '</row><row r="4"><c r="B4"><f>1+1</f></c></row>' + tail, stored=True, styles=styles))
    write("fuzz_xlsx", "stored-sheets", workbook(None, stored=True, sheets=[
        ("Скрытый", "hidden", head + '<row r="1">' + inline % ("A1", "x") + '</row>' + tail),
        ("Дома", None, head + header + '<row r="2">' + inline % ("A2", "a") + '</row>' + tail),
        ("Дома 2", None, head + header + '<row r="2">' + inline % ("A2", "b") + '</row>' + tail),
        ("Прочее", None, head + '<row r="1">' + inline % ("A1", "y") + '</row>' + tail)]))
    write("fuzz_xlsx", "stored-bounds", workbook(
        head + header + '<!-- a comment -->  <row r="2"><c r="A2" t="inlineStr"><is><t>'
        '<![CDATA[a<b]]></t></is></c><c r="XFD2"><v>1</v></c></row>'
        '<row r="18446744073709551615"><c><v>1</v></c></row>' + tail, stored=True))


def ods():
    """OpenDocument spreadsheets: strings, numbers, percentages, dates, repeats, hidden sheets."""
    ns = ('xmlns:office="urn:oasis:names:tc:opendocument:xmlns:office:1.0" '
          'xmlns:style="urn:oasis:names:tc:opendocument:xmlns:style:1.0" '
          'xmlns:text="urn:oasis:names:tc:opendocument:xmlns:text:1.0" '
          'xmlns:table="urn:oasis:names:tc:opendocument:xmlns:table:1.0"')

    def text(value):
        return ('<table:table-cell office:value-type="string"><text:p>%s</text:p>'
                '</table:table-cell>' % value)

    def table(name, rows, style=""):
        return ('<table:table table:name="%s"%s>' % (name, style) + "".join(
            "<table:table-row%s>%s</table:table-row>" % row for row in rows) + "</table:table>")

    def spreadsheet(tables):
        content = ('<?xml version="1.0" encoding="UTF-8"?><office:document-content ' + ns +
                   '><office:automatic-styles><style:style style:name="ta2" '
                   'style:family="table"><style:table-properties table:display="false"/>'
                   '</style:style></office:automatic-styles><office:body><office:spreadsheet>' +
                   "".join(tables) + "</office:spreadsheet></office:body>"
                   "</office:document-content>")
        return archive({"mimetype": "application/vnd.oasis.opendocument.spreadsheet",
                        "content.xml": content}, ("mimetype", "content.xml"))

    header = ("", text("Адрес") + text("Тариф") + text("DiscountRate") +
              '<table:table-cell table:number-columns-repeated="1021"/>')
    write("fuzz_ods", "values", spreadsheet([table("Дома", [
        header,
        (' table:number-rows-repeated="2"', text('ул.<text:s text:c="2"/>Мира') +
         '<table:table-cell office:value-type="float" office:value="5.65"/>'
         '<table:table-cell office:value-type="percentage" office:value="0.08"/>'),
        ("", text("b") + '<table:table-cell office:value-type="date" '
         'office:date-value="2024-01-05"/><table:table-cell table:formula="of:=1+1"/>'),
        (' table:number-rows-repeated="1048570"',
         '<table:table-cell table:number-columns-repeated="1024"/>')])]))
    write("fuzz_ods", "sheets", spreadsheet([
        table("Скрытый", [("", text("x"))], ' table:style-name="ta2"'),
        table("Дома", [header, ("", text("a"))]),
        table("Дома 2", [header, ("", text("b") + '<table:table-cell office:value-type='
                                  '"boolean" office:boolean-value="true"/>')]),
        table("Прочее", [("", text("y"))])]))
    write("fuzz_ods", "wide-repeats", spreadsheet([table("Дома", [
        header, (' table:number-rows-repeated="3"',
                 '<table:table-cell table:number-columns-repeated="16384" '
                 'office:value-type="float" office:value="1"/>')])]))


if __name__ == "__main__":
    parse_real()
    format_number()
    read_input()
    simulation()
    jpeg()
    sheet()
    xlsx()
    ods()
    sys.exit(0)
