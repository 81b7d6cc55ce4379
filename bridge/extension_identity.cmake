# The browser extension's fixed identity. Chromium derives the extension id
# from the public key in the manifest, so the id stays the same on every
# machine; the host manifests and the host's caller check name these ids.
set(KESTROVA_EXTENSION_KEY
  "MIIBIjANBgkqhkiG9w0BAQEFAAOCAQ8AMIIBCgKCAQEArJ/fp5LYZ/xGfyIJrHv2Y9QZzA5Rj1g1Ysgays8c6hTGbO/AM9Yzc9vTtmc+fwtXsBrZWf0aieXITS0pKLqV8FP59rIJr3iVKG/xanJZ3baSUdl7mCBl7/3MSw0ht2GsoXN7l9IWWZUU4NIJWawZy8JTBh44ey8/vHvSvOMu0y8Oy/VGKhMCvHRVZHQizdb4k1jwtO8zg1b0SR8Yu6XYpWYy5+nwRVdZ+4GcTMwN7XnowbGEQVaiTHbVtUwUxPRi9+kmSRK6trRVfOKQmTwga29m8Cq94ReyGOgbKcPOX87Ok1SOV5Sb35aqTBMkixkcZxKy+ppSn2lR6Hyqlz2aYwIDAQAB")
set(KESTROVA_CHROMIUM_EXTENSION_ID "lcgjkooenmgombckklhckehfbbdjaacg")
set(KESTROVA_GECKO_EXTENSION_ID "bridge@kestrova.example.com")
set(KESTROVA_NATIVE_HOST_NAME "com.kestrova.bridge")
