       2, /* bmWidth     */
       1, /* bmHeight    */
  offsetof (Ag_QN_TEMP_EL_FILE, bmImage[0]), /* bmOffset    */
  {
    0x00, 0xf8, 0x1f, 0x00, 
  }
};
#endif
