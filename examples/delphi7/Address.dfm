object fraAddress: TfraAddress
  Left = 0
  Top = 0
  Width = 320
  Height = 120
  TabOrder = 0
  object lblStreet: TLabel
    Left = 8
    Top = 8
    Width = 31
    Height = 13
    Caption = 'Street:'
  end
  object lblCity: TLabel
    Left = 8
    Top = 40
    Width = 20
    Height = 13
    Caption = 'City:'
  end
  object edtStreet: TEdit
    Left = 96
    Top = 4
    Width = 200
    Height = 21
    TabOrder = 0
  end
  object edtCity: TEdit
    Left = 96
    Top = 36
    Width = 200
    Height = 21
    TabOrder = 1
  end
end
