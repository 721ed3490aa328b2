"""A phone's portrait photo, stored as landscape pixels tagged EXIF Orientation 6, opens upright."""
import os
import struct
import unittest

from harness import GuiTest, windows_path


def tagged_orientation_6(jpeg_bytes):
    """The JPEG with a little-endian EXIF APP1 segment (IFD0: Orientation 6) right after SOI."""
    tiff = b"II" + struct.pack("<HI", 42, 8) + struct.pack("<H", 1)
    tiff += struct.pack("<HHIHH", 0x0112, 3, 1, 6, 0) + struct.pack("<I", 0)
    payload = b"Exif\0\0" + tiff
    return jpeg_bytes[:2] + b"\xff\xe1" + struct.pack(">H", len(payload) + 2) + payload + jpeg_bytes[2:]


class OrientationTest(GuiTest):
    def test_orientation_6_photo_opens_with_width_and_height_swapped(self):
        with open(os.path.join(self.inputs, "sample.jpg"), "rb") as f:
            data = tagged_orientation_6(f.read())
        path = os.path.join(self.folder, "portrait.jpg")
        with open(path, "wb") as f:
            f.write(data)
        app = self.start([windows_path(path)])
        self.assertEqual(app.title(), "portrait.jpg ... Size 1200 × 1600")
        self.screenshot("portrait-upright")


if __name__ == "__main__":
    unittest.main()
