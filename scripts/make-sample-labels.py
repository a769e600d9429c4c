#!/usr/bin/env python3
"""Writes the test labels of the tools page: resources/Sample/<language>/<label>.dat.

Every label is a complete job in its command language: it draws the thing its name says on a
label of about 2 x 1.2 inches and prints one copy. The picture of "Print_Image" is a 64 x 64 dot
ring with a tail, drawn here so that each language's file carries it in the form that language
takes. Run from the repository root; the files are committed, so this only runs when they change.
"""
import os
import struct

LABELS = ["Print_Text", "Print_Image", "Print_Line", "Print_Rect", "Print_Code 39", "Print_Code 93",
          "Print_Code 128", "Print_EAN 8", "Print_EAN 13", "Print_PDF417", "Print_QR"]
SIZE = 64
ROW_BYTES = SIZE // 8
PDF_TEXT = "Quillory PDF417 test label 0123456789"
QR_TEXT = "Quillory QR test label"


def picture_rows():
    """Rows of 8 bytes, top row first, leftmost dot in the top bit, 1 = printed."""
    rows = []
    for y in range(SIZE):
        row = bytearray(ROW_BYTES)
        for x in range(SIZE):
            dx, dy = x - 29.5, y - 29.5
            r2 = dx * dx + dy * dy
            ring = 18 * 18 <= r2 <= 27 * 27
            tail = 38 <= x <= 62 and 38 <= y <= 62 and abs((x - 38) - (y - 38)) <= 3
            if ring or tail:
                row[x // 8] |= 0x80 >> (x % 8)
        rows.append(bytes(row))
    return rows


def inverted(rows):
    return [bytes(b ^ 0xFF for b in row) for row in rows]


def bmp_file(rows):
    """A one-bit BMP: palette 0 black, 1 white, rows bottom-up, so a printed dot is a 0 bit."""
    pixels = b"".join(reversed(inverted(rows)))  # 8 bytes a row is already a multiple of 4
    offset = 14 + 40 + 8
    header = struct.pack("<2sIHHI", b"BM", offset + len(pixels), 0, 0, offset)
    info = struct.pack("<IiiHHIIiiII", 40, SIZE, SIZE, 1, 1, 0, len(pixels), 2835, 2835, 2, 2)
    palette = bytes([0, 0, 0, 0, 255, 255, 255, 0])
    return header + info + palette + pixels


def crlf(lines):
    return b"".join((l if isinstance(l, bytes) else l.encode("ascii")) + b"\r\n" for l in lines)


# --- VKLZ: formats from ^XA to ^XZ -------------------------------------------------------------

def vklz():
    def label(body, caption):
        return crlf(["^XA", "^LH0,0"] + body + [f"^FO30,200^A0N,24,24^FD{caption}^FS", "^PQ1", "^XZ"])
    hexdata = "".join(row.hex().upper() for row in picture_rows())
    total = SIZE * ROW_BYTES
    return {
        "Print_Text": label(["^FO30,30^A0N,40,40^FDQuillory test label^FS",
                             "^FO30,85^A0N,28,28^FDABCDEFGHIJKLMNOPQRSTUVWXYZ^FS",
                             "^FO30,120^A0N,28,28^FDabcdefghijklm 0123456789^FS",
                             "^FO30,160^ADN,18,10^FDBuilt-in font D^FS"], "Text"),
        "Print_Image": label([f"^FO30,30^GFA,{total},{total},{ROW_BYTES},{hexdata}^FS",
                              "^FO120,60^A0N,32,32^FDImage test^FS"], "Image"),
        "Print_Line": label(["^FO30,30^GB340,3,3^FS", "^FO30,50^GB340,8,8^FS", "^FO30,75^GB3,110,3^FS",
                             "^FO60,75^GD150,110,3,B,L^FS", "^FO220,75^GD150,110,3,B,R^FS"], "Lines"),
        "Print_Rect": label(["^FO30,30^GB340,160,4^FS", "^FO50,50^GB120,120,120^FS",
                             "^FO200,50^GB150,120,6,B,4^FS"], "Rectangles"),
        "Print_Code 39": label(["^BY2,3,100", "^FO30,40^B3N,N,100,Y,N^FDQUILLORY39^FS"], "Code 39"),
        "Print_Code 93": label(["^BY2,3,100", "^FO30,40^BAN,100,Y,N,N^FDQUILLORY93^FS"], "Code 93"),
        "Print_Code 128": label(["^BY2,3,100", "^FO30,40^BCN,100,Y,N,N^FDQuillory 128^FS"], "Code 128"),
        "Print_EAN 8": label(["^BY2,3,100", "^FO30,40^B8N,100,Y,N^FD1234567^FS"], "EAN 8"),
        "Print_EAN 13": label(["^BY2,3,100", "^FO30,40^BEN,100,Y,N^FD590123412345^FS"], "EAN 13"),
        "Print_PDF417": label(["^BY2,3", f"^FO30,30^B7N,6,3,4,,N^FD{PDF_TEXT}^FS"], "PDF417"),
        "Print_QR": label([f"^FO30,10^BQN,2,5^FDMA,{QR_TEXT}^FS"], "QR code"),
    }


# --- VKLE: line commands, N clears the image buffer, P1 prints one ------------------------------

def vkle():
    def label(body, caption):
        return crlf(["", "N"] + body + [f'A30,200,0,2,1,1,N,"{caption}"', "P1"])
    # The direct graphic takes its rows as raw bytes in which a 0 bit is a printed dot.
    graphic = b"GW30,30,%d,%d," % (ROW_BYTES, SIZE) + b"".join(inverted(picture_rows()))
    return {
        "Print_Text": label(['A30,30,0,4,1,1,N,"Quillory test label"',
                            'A30,80,0,3,1,1,N,"ABCDEFGHIJKLMNOPQRSTUVWXYZ"',
                            'A30,110,0,3,1,1,N,"abcdefghijklm 0123456789"',
                            'A30,145,0,3,1,1,R,"Reverse text"'], "Text"),
        "Print_Image": crlf(["", "N", graphic, 'A120,60,0,4,1,1,N,"Image test"',
                             'A30,200,0,2,1,1,N,"Image"', "P1"]),
        "Print_Line": label(["LO30,30,340,3", "LO30,50,340,8", "LO30,75,3,110", "LS60,75,3,210,185",
                             "LS220,185,3,370,75"], "Lines"),
        "Print_Rect": label(["X30,30,4,370,190", "LO50,50,120,120", "X200,50,6,350,170"], "Rectangles"),
        "Print_Code 39": label(['B30,40,0,3,2,5,100,B,"QUILLORY39"'], "Code 39"),
        "Print_Code 93": label(['B30,40,0,9,2,4,100,B,"QUILLORY93"'], "Code 93"),
        "Print_Code 128": label(['B30,40,0,1,2,2,100,B,"Quillory 128"'], "Code 128"),
        "Print_EAN 8": label(['B30,40,0,E80,2,2,100,B,"1234567"'], "EAN 8"),
        "Print_EAN 13": label(['B30,40,0,E30,2,2,100,B,"590123412345"'], "EAN 13"),
        "Print_PDF417": label([f'b30,30,P,340,160,x2,y6,"{PDF_TEXT}"'], "PDF417"),
        "Print_QR": label([f'b30,10,Q,m2,s5,eM,iA,"{QR_TEXT}"'], "QR code"),
    }


# --- VKLT: SIZE and GAP, CLS, drawing commands, PRINT -------------------------------------------

def vklt():
    head = ["SIZE 50 mm,30 mm", "GAP 2 mm,0 mm", "DIRECTION 1", "REFERENCE 0,0", "CLS"]

    def label(body, caption):
        return crlf(head + body + [f'TEXT 30,200,"2",0,1,1,"{caption}"', "PRINT 1,1"])
    # The bitmap takes raw bytes in which a 0 bit is a printed dot.
    bitmap = b"BITMAP 30,30,%d,%d,0," % (ROW_BYTES, SIZE) + b"".join(inverted(picture_rows()))
    return {
        "Print_Text": label(['TEXT 30,30,"4",0,1,1,"Quillory test label"',
                            'TEXT 30,80,"3",0,1,1,"ABCDEFGHIJKLMNOPQRSTUVWXYZ"',
                            'TEXT 30,110,"3",0,1,1,"abcdefghijklm 0123456789"',
                            'TEXT 30,145,"2",0,2,2,"Double size"'], "Text"),
        "Print_Image": crlf(head + [bitmap, 'TEXT 120,60,"4",0,1,1,"Image test"',
                                    'TEXT 30,200,"2",0,1,1,"Image"', "PRINT 1,1"]),
        "Print_Line": label(["BAR 30,30,340,3", "BAR 30,50,340,8", "BAR 30,75,3,110", "BAR 60,75,110,3",
                             "BAR 60,120,200,3"], "Lines"),
        "Print_Rect": label(["BOX 30,30,370,190,4", "BAR 50,50,120,120", "BOX 200,50,350,170,6"],
                            "Rectangles"),
        "Print_Code 39": label(['BARCODE 30,40,"39",100,1,0,2,5,"QUILLORY39"'], "Code 39"),
        "Print_Code 93": label(['BARCODE 30,40,"93",100,1,0,2,4,"QUILLORY93"'], "Code 93"),
        "Print_Code 128": label(['BARCODE 30,40,"128",100,1,0,2,2,"Quillory 128"'], "Code 128"),
        "Print_EAN 8": label(['BARCODE 30,40,"EAN8",100,1,0,2,2,"1234567"'], "EAN 8"),
        "Print_EAN 13": label(['BARCODE 30,40,"EAN13",100,1,0,2,2,"590123412345"'], "EAN 13"),
        "Print_PDF417": label([f'PDF417 30,30,340,160,0,"{PDF_TEXT}"'], "PDF417"),
        "Print_QR": label([f'QRCODE 30,10,M,5,A,0,"{QR_TEXT}"'], "QR code"),
    }


# --- VKLC: "! 0 200 200 height 1" header, commands, FORM and PRINT ------------------------------

def vklc():
    def label(body, caption):
        return crlf(["! 0 200 200 240 1", "PAGE-WIDTH 400"] + body +
                    [f"TEXT 7 0 30 200 {caption}", "FORM", "PRINT"])
    hexdata = "".join(row.hex().upper() for row in picture_rows())
    return {
        "Print_Text": label(["TEXT 4 0 30 30 Quillory test label", "TEXT 7 0 30 90 ABCDEFGHIJKLMNOPQRSTUVWXYZ",
                             "TEXT 7 0 30 120 abcdefghijklm 0123456789", "SETMAG 2 2",
                             "TEXT 7 0 30 150 Double size", "SETMAG 0 0"], "Text"),
        "Print_Image": label([f"EG {ROW_BYTES} {SIZE} 30 30 {hexdata}", "TEXT 4 0 120 50 Image test"],
                             "Image"),
        "Print_Line": label(["LINE 30 30 370 30 3", "LINE 30 50 370 50 8", "LINE 30 75 30 185 3",
                             "LINE 60 75 210 185 3", "LINE 220 185 370 75 3"], "Lines"),
        "Print_Rect": label(["BOX 30 30 370 190 4", "BOX 50 50 170 170 60", "BOX 200 50 350 170 6"],
                            "Rectangles"),
        "Print_Code 39": label(["BARCODE-TEXT 7 0 5", "BARCODE 39 2 1 100 30 40 QUILLORY39",
                                "BARCODE-TEXT OFF"], "Code 39"),
        "Print_Code 93": label(["BARCODE-TEXT 7 0 5", "BARCODE 93 2 1 100 30 40 QUILLORY93",
                                "BARCODE-TEXT OFF"], "Code 93"),
        "Print_Code 128": label(["BARCODE-TEXT 7 0 5", "BARCODE 128 2 1 100 30 40 Quillory 128",
                                 "BARCODE-TEXT OFF"], "Code 128"),
        "Print_EAN 8": label(["BARCODE-TEXT 7 0 5", "BARCODE EAN8 2 1 100 30 40 1234567",
                              "BARCODE-TEXT OFF"], "EAN 8"),
        "Print_EAN 13": label(["BARCODE-TEXT 7 0 5", "BARCODE EAN13 2 1 100 30 40 590123412345",
                               "BARCODE-TEXT OFF"], "EAN 13"),
        "Print_PDF417": label(["BARCODE PDF-417 30 30 XD 2 YD 6 C 4 S 2", PDF_TEXT, "ENDPDF"], "PDF417"),
        "Print_QR": label(["BARCODE QR 30 10 M 2 U 5", f"MA,{QR_TEXT}", "ENDQR"], "QR code"),
    }


# --- VKLA: STX L opens a label format, records row by row, E ends and prints --------------------

def vkla():
    stx = b"\x02"

    def record(kind, c, d, size, row, column, data):
        """One format record: rotation 1, font or bar code kind, two multipliers, size, row, column."""
        return f"1{kind}{c}{d}{size:03d}{row:04d}{column:04d}{data}"

    def label(body, caption, before=()):
        return crlf(list(before) + [stx + b"L", "D11", "H15"] + body +
                    [record("2", 1, 1, 0, 5, 20, caption), "Q0001", "E"])
    return {
        "Print_Text": label([record("4", 1, 1, 0, 100, 20, "Quillory test label"),
                             record("3", 1, 1, 0, 75, 20, "ABCDEFGHIJKLMNOPQRSTUVWXYZ"),
                             record("3", 1, 1, 0, 55, 20, "abcdefghijklm 0123456789"),
                             record("2", 2, 2, 0, 30, 20, "Double size")], "Text"),
        # The picture is stored as a one-bit BMP under a name, then placed by that name.
        "Print_Image": label([record("Y", 1, 1, 0, 30, 20, "QLOGO"),
                              record("4", 1, 1, 0, 60, 70, "Image test")], "Image",
                             before=[stx + b"IDBQLOGO\r\n" + bmp_file(picture_rows())]),
        "Print_Line": label([record("X", 1, 1, 0, 105, 15, "l170002"), record("X", 1, 1, 0, 95, 15, "l170004"),
                             record("X", 1, 1, 0, 30, 15, "l002055"), record("X", 1, 1, 0, 60, 40, "l120002")],
                            "Lines"),
        "Print_Rect": label([record("X", 1, 1, 0, 25, 15, "b170085002002"),
                             record("X", 1, 1, 0, 35, 25, "b060060030030"),
                             record("X", 1, 1, 0, 35, 100, "b075060003003")], "Rectangles"),
        "Print_Code 39": label([record("A", 6, 2, 80, 30, 20, "QUILLORY39")], "Code 39"),
        "Print_Code 93": label([record("O", 6, 2, 80, 30, 20, "QUILLORY93")], "Code 93"),
        "Print_Code 128": label([record("E", 3, 2, 80, 30, 20, "Quillory 128")], "Code 128"),
        "Print_EAN 8": label([record("G", 3, 2, 80, 30, 20, "1234567")], "EAN 8"),
        "Print_EAN 13": label([record("F", 3, 2, 80, 30, 20, "590123412345")], "EAN 13"),
        "Print_PDF417": label([record("z", 2, 2, 0, 30, 20, "F1000000" + PDF_TEXT)], "PDF417"),
        "Print_QR": label([record("W1d", 4, 4, 0, 25, 20, "MA," + QR_TEXT)], "QR code"),
    }


def main():
    root = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "resources", "Sample")
    for language, build in (("VKLZ", vklz), ("VKLE", vkle), ("VKLT", vklt), ("VKLC", vklc), ("VKLA", vkla)):
        files = build()
        assert sorted(files) == sorted(LABELS), language
        folder = os.path.join(root, language)
        os.makedirs(folder, exist_ok=True)
        for name, content in files.items():
            with open(os.path.join(folder, name + ".dat"), "wb") as f:
                f.write(content)


if __name__ == "__main__":
    main()
